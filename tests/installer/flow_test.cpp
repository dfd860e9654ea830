// The setup flow behind a fake user interface and a machine in memory: the dialogs and
// their ways back, the file actions with their questions, the log, groups, INI, registry,
// programs and the clean-up.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "installer/setup_flow.h"
#include "tests/installer/fake_setup.h"

namespace talven::installer {
namespace {

using test::FakeSystem;
using test::FakeTexts;
using test::FakeUi;

struct Rig {
  FakeTexts texts;
  FakeUi ui;
  FakeSystem system;
  SetupScript script{system};
  std::unique_ptr<SetupFlow> flow;

  explicit Rig(const std::string& text) {
    EXPECT_TRUE(script.Load(text));
    system.Put("A:\\README.TXT", "lies mich", {2024, 2, 1, 10, 0, 0});
  }
  SetupFlow& Flow() {
    if (!flow) {
      SetupPlaces places{"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "", "A:\\", {}, {}};
      ReadDisks(script, places);
      flow = std::make_unique<SetupFlow>(script, texts, ui, system, places, "A:\\");
    }
    return *flow;
  }
  int32_t Run() { return Flow().Run(); }
  bool Saw(const std::string& prefix) const {
    return std::any_of(ui.events.begin(), ui.events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
  }
  int32_t Count(const std::string& prefix) const {
    return static_cast<int32_t>(std::count_if(ui.events.begin(), ui.events.end(),
                                              [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
  }
};

const char kFullScript[] =
    "[Medra]\nTitle=\"Talven 1.0\"\n"
    "[data]\nDefDir=C:\\TALVEN\n"
    "[disks]\n1=.,\"Disk 1\"\n2=A:\\DISK2,\"Disk 2\"\n"
    "[ExecAtStart]\n0:WINDOWS\\PRUEF.EXE,/s\n"
    "[Files]\nREADME.TXT,0:\n#Programm,0:BIN\n2:DATA.BIN,0:\n"
    "[Programm]\nPROG.EXE,\"Programm\",30,S\nHILFE.TXT,\"Hilfe\",5\n"
    "[SysFiles]\nTVTEST.DLL,0:SYSTEM32\n"
    "[INI]\n0:\\TALVEN,Pfade,Start,\"0:\\BIN\"\n"
    "[REGISTRY]\nHKEY_CURRENT_USER\\Software\\Talven\\Pfad=0:\\BIN\nHKEY_LOCAL_MACHINE\\NurWurzel=x\n"
    "[progman.groups]\nTalven,TALVEN.GRP,1,1\n"
    "[Talven]\nTalven,0:BIN\\PROG.EXE,,0,0:BIN\nFehlt,NIX.EXE\n"
    "[Exec]\n0:BIN\\PROG.EXE,\"/init \"%TEMP%\n"
    "[ExecAfterMessage]\n0:README.TXT\n";

void PutSources(FakeSystem& system) {
  system.Put("A:\\PROG.EXE", "programm", {2024, 3, 1, 9, 0, 0}, 2);
  system.Put("A:\\HILFE.TXT", "hilfe");
  system.Put("A:\\DISK2\\DATA.BIN", "daten");
  system.Put("A:\\TVTEST.DLL", "v2", {2024, 1, 1, 0, 0, 0}, 2);
  system.directories.insert("A:\\DISK2");
  system.variables["TEMP"] = "C:\\TMP";
}

TEST(SetupFlowRun, FullRunWritesEverythingAndLogsLineByLine) {
  Rig s(kFullScript);
  PutSources(s.system);
  ASSERT_EQ(s.Run(), 1);
  EXPECT_EQ(s.ui.events.front(), "target: C:\\TALVEN");
  EXPECT_EQ(s.system.files["C:\\TALVEN\\README.TXT"].content, "lies mich");
  EXPECT_EQ(s.system.files["C:\\TALVEN\\BIN\\PROG.EXE"].content, "programm");
  EXPECT_EQ(s.system.files["C:\\TALVEN\\DATA.BIN"].content, "daten");
  EXPECT_EQ(s.system.shared["C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL"], 1u);
  EXPECT_EQ(s.system.iniWrites, std::vector<std::string>{"C:\\TALVEN\\TALVEN.INI|Pfade|Start|0:\\BIN"});
  EXPECT_EQ(s.system.registry["1|Software\\Talven|Pfad"], "C:\\TALVEN\\BIN");
  EXPECT_EQ(s.system.registry.size(), 1u);
  EXPECT_EQ(s.system.log,
            "GC:\\TALVEN\r\n"
            "AC:\\TALVEN\\README.TXT\r\n"
            "GC:\\TALVEN\\BIN\r\n"
            "AC:\\TALVEN\\BIN\\PROG.EXE\r\n"
            "AC:\\TALVEN\\BIN\\HILFE.TXT\r\n"
            "aC:\\WINDOWS\\SYSTEM32\\TVTEST.DLL\r\n"
            "AC:\\TALVEN\\DATA.BIN\r\n"
            "CTalven\r\n"
            "DTalven\r\n"
            "E0:\\TALVEN,Pfade,Start,\"0:\\BIN\"\r\n"
            "FHKEY_CURRENT_USER\\Software\\Talven\\Pfad=0:\\BIN\r\n");
  EXPECT_EQ(s.system.logPath, "C:\\TALVEN\\medra.log");
  EXPECT_TRUE(s.system.logClosed);
  EXPECT_EQ(s.system.dde, (std::vector<std::string>{
                              "[deletegroup(Talven)]", "[creategroup(Talven, TALVEN.GRP)]",
                              "[AddItem(C:\\TALVEN\\BIN\\PROG.EXE)]", "[ReplaceItem(C:\\TALVEN\\BIN\\PROG.EXE)]",
                              "[additem(C:\\TALVEN\\BIN\\PROG.EXE,\"Talven\",\"\",0,0,0,\"C:\\TALVEN\\BIN\")]",
                              "[showgroup(Talven,2)]", "disconnect"}));
  EXPECT_EQ(s.system.runs, (std::vector<std::string>{"\"C:\\WINDOWS\\PRUEF.EXE\" /s @ ",
                                                    "\"C:\\TALVEN\\BIN\\PROG.EXE\" /init C:\\TMP @ C:\\TALVEN",
                                                    "\"C:\\TALVEN\\README.TXT\"  @ C:\\TALVEN"}));
  EXPECT_TRUE(s.Saw("message: Setup... | Setup is complete."));
  EXPECT_EQ(s.ui.range, 10 + 30 + 5 + 10 + 10);
  EXPECT_EQ(s.ui.position, s.ui.range);
}

TEST(SetupFlowRun, SharedLibraryTwiceCountsTwoAndTargetCopiesAreNotCounted) {
  for (int run = 0; run < 2; ++run) {
    Rig s("[data]\nDir=C:\\ZIEL\n[SysFiles]\nTVTEST.DLL,0:SYSTEM32\n[Files]\nEIGEN.DLL,0:\n");
    s.system.Put("A:\\TVTEST.DLL", "dll", {2024, 1, 1, 0, 0, 0}, 2);
    s.system.Put("A:\\EIGEN.DLL", "eigen");
    if (run == 1) {
      s.system.shared["C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL"] = 1;
      s.system.Put("C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL", "dll", {2024, 1, 1, 0, 0, 0}, 2);
    }
    ASSERT_EQ(s.Run(), 1);
    EXPECT_EQ(s.system.shared["C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL"], run + 1u);
    EXPECT_EQ(s.system.shared.count("C:\\ZIEL\\EIGEN.DLL"), 0u);
    EXPECT_NE(s.system.log.find("AC:\\ZIEL\\EIGEN.DLL\r\n"), std::string::npos);
    EXPECT_NE(s.system.log.find("aC:\\WINDOWS\\SYSTEM32\\TVTEST.DLL\r\n"), std::string::npos);
  }
  // A count stored as text reads as 0; the largest count stays.
  Rig s("[data]\nDir=C:\\ZIEL\n[SysFiles]\nA.DLL,0:WINDOWS\nB.DLL,0:WINDOWS\n");
  s.system.Put("A:\\A.DLL", "a");
  s.system.Put("A:\\B.DLL", "b");
  s.system.shared["C:\\WINDOWS\\A.DLL"] = 77;
  s.system.sharedIsText.insert("C:\\WINDOWS\\A.DLL");
  s.system.shared["C:\\WINDOWS\\B.DLL"] = 0xFFFFFFFFu;
  ASSERT_EQ(s.Run(), 1);
  EXPECT_EQ(s.system.shared["C:\\WINDOWS\\A.DLL"], 1u);
  EXPECT_EQ(s.system.shared["C:\\WINDOWS\\B.DLL"], 0xFFFFFFFFu);
}

TEST(SetupFlowDialogs, CancelAsksAndYesEndsWithoutWriting) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nREADME.TXT,0:\n");
  s.ui.targets = {"cancel", "cancel"};
  s.ui.answers = {Answer::No, Answer::Yes};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.Count("target:"), 2);
  EXPECT_EQ(s.Count("ask: Setup... | Abort the setup?"), 2);
  EXPECT_TRUE(s.system.log.empty());
  EXPECT_FALSE(s.system.DirectoryExists("C:\\ZIEL"));
}

TEST(SetupFlowDialogs, TargetChecks) {
  Rig s("[data]\nDir=C:\\ZIEL\\\ndirwarnexist=1\nnoupdate=ALT.DAT\n[Files]\nREADME.TXT,0:\n");
  s.system.directories.insert("C:\\DA");
  s.system.Put("C:\\ALT\\ALT.DAT", "x");
  s.system.directories.insert("C:\\ALT");
  s.ui.targets = {"C:\\DA\\", "C:\\ALT", "C:\\NEU\\"};
  s.ui.answers = {Answer::No};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.ui.events[0], "target: C:\\ZIEL\\");
  EXPECT_EQ(s.ui.events[1], "ask: Setup... | C:\\DA exists. Use it?");
  EXPECT_EQ(s.ui.events[3], "ask: Setup... | C:\\ALT exists. Use it?");
  EXPECT_EQ(s.ui.events[4], "message: Setup... | C:\\ALT holds ALT.DAT.");
  EXPECT_TRUE(s.system.FileExists("C:\\NEU\\README.TXT"));
}

TEST(SetupFlowDialogs, DiskSpaceGoesBackToTheTarget) {
  Rig s("[data]\nDir=D:\\ZIEL\nSpace=2000000\nWinSpace=-5\n[Files]\nREADME.TXT,0:\n");
  s.system.directories.insert("D:\\");
  s.system.free["D:\\"] = 1999999;
  s.ui.targets = {"ok", "C:\\ZIEL"};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_TRUE(s.Saw("message: Setup... | Need 1954 KB on the target drive."));
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\README.TXT"));
  // On the Windows drive both amounts add up; more than 4 GB free is no problem.
  Rig w("[data]\nDir=C:\\ZIEL\n[Files]\nREADME.TXT,0:\n");
  w.system.free["C:\\"] = 1100000 - 1;
  w.ui.targets = {"ok", "cancel"};
  EXPECT_EQ(w.Run(), 1);
  EXPECT_TRUE(w.Saw("message: Setup... | Need 1075 KB on the target drive."));
}

TEST(SetupFlowDialogs, ComponentsChooseSectionsAndGoBack) {
  Rig s("[data]\nDir=C:\\ZIEL\nModPicture=BILD.BMP,10,10\n[Modules]\nBasis,\"Basis\"\nExtra,\"Extras\",0\n"
          "[Basis]\nREADME.TXT,0:\n[Extra]\nEXTRA.TXT,0:\n$IFMODULE(Extra)README.TXT,0:X\n");
  s.system.Put("A:\\EXTRA.TXT", "extra");
  s.ui.components = {"back", "ok:Extra"};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.Count("target:"), 2);
  EXPECT_TRUE(s.Saw("components: Basis+ Extra-"));
  EXPECT_TRUE(s.Saw("picture: BILD.BMP,10,10"));
  EXPECT_FALSE(s.system.FileExists("C:\\ZIEL\\README.TXT"));
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\EXTRA.TXT"));
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\X\\README.TXT"));
}

TEST(SetupFlowDialogs, FormFieldsComeFromAndGoToTheRegistry) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Form]\nTalven\\Name,\"Name\",0\nTalven\\Firma,\"Firma\",2\nSIZE=1\n");
  s.system.registry["2|Talven\\Name|"] = "Name,Erika, Muster";
  s.ui.forms = {"ok:|", "back", "ok:Max|"};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_TRUE(s.Saw("form: Name=Erika, Muster Firma="));
  EXPECT_TRUE(s.Saw("message: Setup... | Please fill in Name."));
  EXPECT_EQ(s.system.registry["2|Talven\\Name|"], "Name,Max");
  EXPECT_EQ(s.system.registry["2|Talven\\Firma|"], "Firma,");
}

TEST(SetupFlowActions, DateQuestionsByMode) {
  const FileStamp newer{2025, 5, 6, 7, 8, 0};
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nA.TXT,0:,10,S\nB.TXT,0:,10,O\nC.TXT,0:,10,N\nD.TXT,0:,10,I\nE.TXT,0:,10,S\n");
  for (const char* name : {"A", "B", "C", "D", "E"}) {
    s.system.Put(std::string("A:\\") + name + ".TXT", "neu", {2024, 1, 2, 3, 4, 0});
    s.system.Put(std::string("C:\\ZIEL\\") + name + ".TXT", "alt", newer);
  }
  s.system.files["C:\\ZIEL\\E.TXT"].stamp = {2020, 1, 1, 0, 0, 0};
  s.system.directories.insert("C:\\ZIEL");
  // A: older -> Cancel, No to the abort question, then No keeps it. C: mode N asks even
  // when newer... here older, Yes installs.
  s.ui.answers = {Answer::Cancel, Answer::No, Answer::No, Answer::Yes};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.Count("ask: Setup... | Older: C:\\ZIEL\\A.TXT 02.01.2024 03:04 / 06.05.2025 07:08"), 2);
  EXPECT_EQ(s.system.files["C:\\ZIEL\\A.TXT"].content, "alt");
  EXPECT_EQ(s.system.files["C:\\ZIEL\\B.TXT"].content, "alt");
  EXPECT_EQ(s.system.files["C:\\ZIEL\\C.TXT"].content, "neu");
  EXPECT_EQ(s.system.files["C:\\ZIEL\\D.TXT"].content, "alt");
  EXPECT_EQ(s.system.files["C:\\ZIEL\\E.TXT"].content, "neu");
  EXPECT_EQ(s.Count("ask:"), 4);
  // Mode N asks with 448 when the source is not older.
  Rig n("[data]\nDir=C:\\ZIEL\n[Files]\nA.TXT,0:,10,N\n");
  n.system.Put("A:\\A.TXT", "neu", newer);
  n.system.Put("C:\\ZIEL\\A.TXT", "alt", {2020, 1, 1, 0, 0, 0});
  n.ui.answers = {Answer::Cancel, Answer::Yes};
  EXPECT_EQ(n.Run(), 0);  // Cancel, then Yes to abort: an abort during the installation
  EXPECT_TRUE(n.Saw("ask: Setup... | Replace C:\\ZIEL\\A.TXT"));
  EXPECT_EQ(n.system.files["C:\\ZIEL\\A.TXT"].content, "alt");
}

TEST(SetupFlowActions, VersionConflictAsksAndNeverLeavesTheTemporaryCopy) {
  for (Answer answer : {Answer::No, Answer::Yes}) {
    Rig s("[data]\nDir=C:\\ZIEL\n[SysFiles]\nTVTEST.DLL,0:SYSTEM32\n");
    s.system.Put("A:\\TVTEST.DLL", "v1", {2025, 1, 1, 0, 0, 0}, 1);
    s.system.Put("C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL", "v2", {2024, 1, 1, 0, 0, 0}, 2);
    s.ui.answers = {answer};
    EXPECT_EQ(s.Run(), 1);
    EXPECT_TRUE(s.Saw("ask: Version conflict | C:\\ZIEL"[0] == 'C' ? "ask: Version conflict | " : ""));
    EXPECT_NE(s.ui.events[1].find("mismatch\r\nsource older\r\nInstall anyway?"), std::string::npos) << s.ui.events[1];
    EXPECT_EQ(s.system.files["C:\\WINDOWS\\SYSTEM32\\TVTEST.DLL"].content, answer == Answer::Yes ? "v1" : "v2");
    EXPECT_TRUE(s.system.FindFiles("C:\\WINDOWS\\SYSTEM32\\VER*.TMP").empty());
    EXPECT_EQ(s.system.log.find("TVTEST") != std::string::npos, answer == Answer::Yes);
  }
  Rig o("[data]\nDir=C:\\ZIEL\n[SysFiles]\nTVTEST.DLL,0:SYSTEM32,10,O\n");
  o.system.Put("A:\\TVTEST.DLL", "v1", {2025, 1, 1, 0, 0, 0}, 1);
  EXPECT_EQ(o.Run(), 1);  // absent target: installed; mode O never asks
  EXPECT_EQ(o.Count("ask:"), 0);
}

TEST(SetupFlowActions, CompressedCopyWildcardsAndArchives) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nPROG.EXE,0:\n*.DOC,0:DOC\nPAKET.LZH,0:\nKAPUTT.LZH,0:\n");
  s.system.Put("A:\\PROG.EX_", "gepackt");
  s.system.Put("A:\\EINS.DOC", "1");
  s.system.Put("A:\\ZWEI.DOC", "2");
  s.system.Put("A:\\PAKET.LZH", "lzh");
  s.system.Put("A:\\KAPUTT.LZH", "lzh");
  s.system.lhaResults["A:\\KAPUTT.LZH"] = 2025;
  s.ui.errors = {ErrorChoice::Ignore};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.system.files["C:\\ZIEL\\PROG.EXE"].content, "gepackt");
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\DOC\\EINS.DOC"));
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\DOC\\ZWEI.DOC"));
  EXPECT_NE(s.system.log.find("AC:\\ZIEL\\AUS.TXT\r\n"), std::string::npos);
  EXPECT_TRUE(s.Saw("error: Archive error.\r\nA:\\KAPUTT.LZH"));
  EXPECT_TRUE(s.Saw("message: Setup... | Setup is complete.\r\n1 lines skipped."));
}

TEST(SetupFlowActions, ArchiveMovesTheBarWithinTheFileAndStopsWhenTheUserEnds) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nPAKET.LZH,0:,100\nREADME.TXT,0:,10\n");
  s.system.Put("A:\\PAKET.LZH", std::string(400, 'x'));
  s.system.lhaChunks = 4;
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.ui.range, 110);
  EXPECT_EQ(s.ui.positions, (std::vector<int64_t>{25, 50, 75, 100, 110}));
  // The main window closed while the archive is written: code 18 once, nothing after it.
  Rig t("[data]\nDir=C:\\ZIEL\n[Files]\nPAKET.LZH,0:,100\nREADME.TXT,0:,10\n");
  t.system.Put("A:\\PAKET.LZH", std::string(400, 'x'));
  t.system.lhaChunks = 4;
  t.ui.pumpsLeft = 2;
  t.ui.errors = {ErrorChoice::Retry};  // any button ends the setup
  EXPECT_EQ(t.Run(), 0);
  EXPECT_EQ(t.Count("error:"), 1);
  EXPECT_TRUE(t.Saw("error: Error 18.\r\nA:\\PAKET.LZH"));
  EXPECT_FALSE(t.system.FileExists("C:\\ZIEL\\AUS.TXT"));
  EXPECT_FALSE(t.system.FileExists("C:\\ZIEL\\README.TXT"));
  EXPECT_EQ(t.system.log.find("AUS.TXT"), std::string::npos);
  EXPECT_FALSE(t.Saw("message: Setup... | Setup is complete."));
}

TEST(SetupFlowActions, MissingSourceAsksForTheDisk) {
  Rig s("[data]\nDir=C:\\ZIEL\n[disks]\n1=.,\"Disk 1\"\n2=A:\\D2,\"Disk 2\"\n[Files]\n2:DATA.BIN,0:\nFEHLT.TXT,0:\n");
  s.system.Put("B:\\DATA.BIN", "daten");
  s.ui.disks = {"B:\\"};
  EXPECT_EQ(s.Run(), 0);  // FEHLT.TXT: the second disk dialog aborts
  EXPECT_EQ(s.ui.events[1], "disk: Disk 1 | A:\\");
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\DATA.BIN") == false);  // disk 2 comes after disk 1
  Rig t("[data]\nDir=C:\\ZIEL\n[disks]\n2=A:\\D2,\"Disk 2\"\n[Files]\n2:DATA.BIN,0:\n*.XYZ,0:\n");
  t.system.Put("B:\\DATA.BIN", "daten");
  t.ui.disks = {"B:\\"};
  EXPECT_EQ(t.Run(), 0);
  EXPECT_EQ(t.ui.events[1], "disk:  | A:\\");  // no match for *.XYZ: code 2
}

TEST(SetupFlowActions, ErrorDialogRetryIgnoreAbort) {
  Rig s("[data]\nDir=C:\\ZIEL\nSpace=0\nWinSpace=0\n[Files]\nA.TXT,0:RO\nB.TXT,0:RO\n");
  s.system.Put("A:\\A.TXT", "a");
  s.system.Put("A:\\B.TXT", "b");
  s.system.directories.insert("C:\\ZIEL");
  s.system.directories.insert("C:\\ZIEL\\RO");
  s.system.readOnlyDirectories.insert("C:\\ZIEL\\RO");
  s.system.free["C:\\"] = 1000;
  s.ui.errors = {ErrorChoice::Retry, ErrorChoice::Ignore, ErrorChoice::Abort};
  EXPECT_EQ(s.Run(), 0);
  EXPECT_EQ(s.Count("error: Error 29.\r\nThe disk is nearly full. A:\\A.TXT"), 2);
  EXPECT_TRUE(s.Saw("error: Error 29.\r\nThe disk is nearly full. A:\\B.TXT"));
  EXPECT_FALSE(s.Saw("message: Setup... | Setup is complete."));
  EXPECT_TRUE(s.system.logClosed);
  // A target directory that cannot be made ends the setup whatever the answer.
  Rig d("[data]\nDir=C:\\ZIEL\n[Files]\nA.TXT,C:\\RO\\X\\Y\n");
  d.system.Put("A:\\A.TXT", "a");
  d.system.directories.insert("C:\\RO");
  d.system.readOnlyDirectories.insert("C:\\RO");
  d.ui.errors = {ErrorChoice::Ignore};
  EXPECT_EQ(d.Run(), 0);
  EXPECT_TRUE(d.Saw("error: Error 29.\r\nC:\\RO\\X\\Y"));
}

TEST(SetupFlowActions, FileInUseIsReplacedAtRestart) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nPROG.EXE,0:\n");
  s.system.Put("A:\\PROG.EXE", "neu");
  s.system.Put("C:\\ZIEL\\PROG.EXE", "alt", {2020, 1, 1, 0, 0, 0});
  s.system.directories.insert("C:\\ZIEL");
  s.system.inUse.insert("C:\\ZIEL\\PROG.EXE");
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.system.delayed, std::vector<std::string>{"C:\\ZIEL\\VER1.TMP>C:\\ZIEL\\PROG.EXE"});
  EXPECT_NE(s.system.log.find("HC:\\ZIEL\\PROG.EXE\r\n"), std::string::npos);
  EXPECT_TRUE(s.Saw("message: Setup... | Setup is complete.\r\nRestart Windows."));
  // Refused without a copy of the system's own: the setup makes the temporary copy.
  Rig c("[data]\nDir=C:\\ZIEL\n[Files]\nPROG.EXE,0:\n");
  c.system.Put("A:\\PROG.EXE", "neu");
  c.system.Put("C:\\ZIEL\\PROG.EXE", "alt", {2020, 1, 1, 0, 0, 0});
  c.system.inUseWithoutCopy.insert("C:\\ZIEL\\PROG.EXE");
  EXPECT_EQ(c.Run(), 1);
  EXPECT_EQ(c.system.delayed, std::vector<std::string>{"C:\\ZIEL\\MED1.TMP>C:\\ZIEL\\PROG.EXE"});
  EXPECT_EQ(c.system.files["C:\\ZIEL\\MED1.TMP"].content, "neu");
  // Without the delayed move: a rename line in WININIT.INI.
  Rig w("[data]\nDir=C:\\ZIEL\n[Files]\nPROG.EXE,0:\n");
  w.system.Put("A:\\PROG.EXE", "neu");
  w.system.Put("C:\\ZIEL\\PROG.EXE", "alt", {2020, 1, 1, 0, 0, 0});
  w.system.inUse.insert("C:\\ZIEL\\PROG.EXE");
  w.system.delayedMoveWorks = false;
  w.system.Put("C:\\WINDOWS\\WININIT.INI", "[Rename]\r\nNUL=C:\\X.TMP\r\n");
  EXPECT_EQ(w.Run(), 1);
  EXPECT_EQ(w.system.files["C:\\WINDOWS\\WININIT.INI"].content,
            "[Rename]\r\nC:\\ZIEL\\PROG.EXE=C:\\ZIEL\\VER1.TMP\r\nNUL=C:\\X.TMP\r\n");
  EXPECT_FALSE(w.system.FileExists("C:\\WINDOWS\\WININIT.NEW"));
}

TEST(SetupFlowGroups, WithoutProgramManagerNoRecordAndOneMessage) {
  Rig s("[data]\nDir=C:\\ZIEL\n[progman.groups]\nEins\nZwei\n[Groups]\nDrei\n[Eins]\nA,NOTEPAD\n");
  s.system.progman = false;
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(s.Count("message: Setup... | No Program Manager."), 1);
  EXPECT_EQ(s.system.progmanStarts, 1);
  EXPECT_EQ(s.system.log, "GC:\\ZIEL\r\n");
}

TEST(SetupFlowGroups, ReplaceQuestionSecondPassAndItemResolution) {
  Rig s("[data]\nDir=C:\\ZIEL\n[progman.groups]\nEins,EINS.GRP,0\n[Groups]\nZwei,,2,1\nDrei\n"
          "[Eins]\nEditor,\"NOTEPAD datei.txt\",\"C:\\Program Files\\I.ICO\",3\n[Zwei]\nLeer,\"\"\"1:SETUP\"\" /x\"\n");
  s.system.Put("C:\\WINDOWS\\EINS.GRP", "grp");
  s.system.Put("C:\\WINDOWS\\NOTEPAD.EXE", "n");
  s.system.Put("A:\\SETUP.EXE", "s");
  s.system.Put("C:\\Program Files\\I.ICO", "i");
  s.ui.answers = {Answer::No};
  EXPECT_EQ(s.Run(), 1);
  EXPECT_TRUE(s.Saw("ask: Eins | Replace the group Eins?"));
  EXPECT_EQ(s.system.dde, (std::vector<std::string>{
                              "[creategroup(Eins, EINS.GRP)]",
                              "[additem(C:\\WINDOWS\\NOTEPAD.EXE datei.txt,\"Editor\",\"C:\\Program Files\\I.ICO\",3)]",
                              "disconnect", "[creategroup(Zwei)]", "[additem(A:\\SETUP.EXE /x,\"Leer\",\"\",0)]",
                              "[creategroup(Drei)]", "[showgroup(Zwei,2)]", "[creategroup(Drei)]", "disconnect"}));
}

TEST(SetupFlowCleanUp, CleanupListAndDeleteAtRestart) {
  Rig s("[data]\nDir=C:\\ZIEL\n");
  s.system.Put("A:\\MEDRA.LST", std::string("TMP1.DLL\0..\\BOESE.TXT\0C:\\X\0TMP2.DLL\0\0NACH.LEER\0", 47));
  s.system.Put("A:\\TMP1.DLL", "1");
  s.system.Put("A:\\TMP2.DLL", "2");
  s.system.Put("A:\\NACH.LEER", "3");
  s.system.Put("C:\\X", "x");
  s.system.undeletable.insert("A:\\TMP2.DLL");
  s.ui.targets = {"cancel"};
  EXPECT_EQ(s.Run(), 1);  // the clean-up runs after a cancel as well
  EXPECT_FALSE(s.system.FileExists("A:\\TMP1.DLL"));
  EXPECT_FALSE(s.system.FileExists("A:\\MEDRA.LST"));
  EXPECT_TRUE(s.system.FileExists("A:\\NACH.LEER"));
  EXPECT_TRUE(s.system.FileExists("C:\\X"));
  EXPECT_EQ(s.system.delayed, std::vector<std::string>{"A:\\TMP2.DLL>"});
  Rig w("[data]\nDir=C:\\ZIEL\n");
  w.system.Put("A:\\MEDRA.LST", std::string("TMP2.DLL\0", 9));
  w.system.Put("A:\\TMP2.DLL", "2");
  w.system.undeletable.insert("A:\\TMP2.DLL");
  w.system.delayedMoveWorks = false;
  w.ui.targets = {"cancel"};
  EXPECT_EQ(w.Run(), 1);
  EXPECT_EQ(w.system.files["C:\\WINDOWS\\WININIT.INI"].content, "[rename]\r\nNUL=A:\\TMP2.DLL\r\n");
}

TEST(SetupFlowRun, ClosingTheWindowDuringTheInstallationAborts) {
  Rig s("[data]\nDir=C:\\ZIEL\n[Files]\nREADME.TXT,0:\nREADME.TXT,0:B\n[Exec]\nX.EXE\n");
  s.ui.pumpsLeft = 0;
  EXPECT_EQ(s.Run(), 0);
  EXPECT_TRUE(s.system.FileExists("C:\\ZIEL\\README.TXT"));
  EXPECT_FALSE(s.system.FileExists("C:\\ZIEL\\B\\README.TXT"));
  EXPECT_TRUE(s.system.runs.empty());
}

TEST(SetupFlowPieces, DirectoryCreationWithParentsAndItsLimit) {
  Rig s("[data]\nDir=C:\\ZIEL\n");
  EXPECT_TRUE(s.Flow().MakeDirectoryPath("C:\\A\\B\\C"));
  EXPECT_TRUE(s.system.DirectoryExists("C:\\A\\B"));
  s.system.readOnlyDirectories.insert("C:\\A\\B");
  EXPECT_FALSE(s.Flow().MakeDirectoryPath("C:\\A\\B\\X\\Y"));
}

TEST(SetupFlowPieces, WorkCountWeightsAreClamped) {
  Rig s("[Files]\nA,0:\nB,0:,-10\nC,0:,99999999999\n#Sub,0:\n?Frage,0:\n[Sub]\nD,x,3\nE\n[Frage]\nF,x,7\n");
  EXPECT_EQ(s.Flow().CountWork(), 10 + 0 + kMaxWeight + 3 + 10 + 7);
  Rig empty("[Files]\nA,0:,0\n");
  EXPECT_EQ(empty.Flow().CountWork(), 1);
}

}  // namespace
}  // namespace talven::installer
