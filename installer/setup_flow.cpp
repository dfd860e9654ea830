// The setup's main sequence and its actions.

#include "installer/setup_flow.h"

#include <algorithm>
#include <tuple>

#include "installer/lha_archive.h"

namespace talven::installer {
namespace {

constexpr char kDiskOrder[] = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr uint32_t kConflictBits = kInstallMismatch | kInstallSourceOld | kInstallDiffLanguage | kInstallDiffCodePage |
                                   kInstallDiffType | kInstallCannotReadTarget;
constexpr uint32_t kInUseBits = kInstallFileInUse | kInstallAccessViolation | kInstallSharingViolation |
                                kInstallCannotDelete | kInstallCannotRename | kInstallCannotDeleteCurrent;

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Directory(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
  return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

// The disk of a file line: a key and ":" in front, else disk 1.
char DiskOf(const std::string& source, const SetupPlaces& places) {
  if (source.size() >= 2 && source[1] == ':') {
    const char key = Upper(source.substr(0, 1))[0];
    if ((key >= '1' && key <= '9') || places.disks.count(key) != 0) return key;
  }
  return '1';
}

int64_t Weight(const std::string& field) {
  if (field.empty()) return kDefaultWeight;
  return std::clamp<int64_t>(ParseNumber(field), 0, kMaxWeight);
}

// The drive part of a path ("C:\"), or the path itself for other forms.
std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  return path;
}

struct FileLine {
  std::string source;
  std::string text;
  int64_t weight;
  char mode;
};

}  // namespace

bool FileStamp::operator<(const FileStamp& other) const {
  return std::tie(year, month, day, hour, minute, second) <
         std::tie(other.year, other.month, other.day, other.hour, other.minute, other.second);
}

std::string ErrorDialogText(SetupTexts& texts, int32_t code, const std::string& file, bool lowSpace) {
  std::string text = texts.Text(kTextErrorBase + code);
  if (text.empty()) {
    text = code <= 32 ? FormatText(texts.Text(kTextErrorBase), {code}) : texts.Text(kTextErrorOther);
  }
  text += "\r\n";
  if (code == kCodeDiskFull && lowSpace) text += texts.Text(kTextDiskFullLow);
  return text + file;
}

std::string ConflictText(SetupTexts& texts, uint32_t bits, const std::string& source, const FileStamp& s,
                         const std::string& target, const FileStamp& t) {
  std::string text = FormatText(texts.Text(kTextConflictHead), {source, s.day, s.month, s.year, s.hour, s.minute,
                                                               target, t.day, t.month, t.year, t.hour, t.minute});
  const std::pair<uint32_t, int32_t> reasons[] = {
      {kInstallMismatch, kTextConflictMismatch},     {kInstallSourceOld, kTextConflictSourceOld},
      {kInstallDiffLanguage, kTextConflictLanguage}, {kInstallDiffCodePage, kTextConflictCodePage},
      {kInstallDiffType, kTextConflictType},         {kInstallCannotReadTarget, kTextConflictUnreadable}};
  for (const auto& [bit, id] : reasons) {
    if (bits & bit) text += "\r\n" + texts.Text(id);
  }
  return text + "\r\n" + texts.Text(kTextConflictTail);
}

int32_t InstallFailureCode(uint32_t bits) {
  if (bits & kInstallOutOfMemory) return kCodeOutOfMemory;
  if (bits & (kInstallOutOfSpace | kInstallCannotCreate | kInstallCannotRename)) return kCodeDiskFull;
  if (bits & (kInstallWriteProtected | kInstallFileInUse | kInstallSharingViolation | kInstallAccessViolation |
              kInstallCannotDelete | kInstallCannotDeleteCurrent | kInstallCannotReadSource | kInstallBufferTooSmall)) {
    return kCodeLocked;
  }
  return kCodeOk;
}

bool ResolveItemCommand(const std::string& command, const SetupPlaces& places, SetupSystem& system,
                        std::string& resolved) {
  std::string text = command;
  for (size_t at = 0; at + 1 < text.size(); ++at) {
    if (text[at + 1] != ':' || (text[at] != '0' && text[at] != '1')) continue;
    if (at > 0 && text[at - 1] != ' ' && text[at - 1] != '"') continue;
    std::string dir = text[at] == '0' ? places.targetDir : places.sourceDir;
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    const size_t skip = (at + 2 < text.size() && text[at + 2] == '\\') ? 3 : 2;
    text = text.substr(0, at) + dir + text.substr(at + skip);
    at += dir.size() - 1;
  }
  std::string program, arguments;
  if (!text.empty() && text[0] == '"') {
    const size_t close = text.find('"', 1);
    program = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    if (close != std::string::npos && close + 1 < text.size()) {
      arguments = text.substr(close + 1);
      arguments.erase(0, arguments.find_first_not_of(' '));
    }
  } else {
    const size_t blank = text.find(' ');
    program = text.substr(0, blank);
    if (blank != std::string::npos) arguments = text.substr(blank + 1);
  }
  if (program.empty()) return false;
  if (FileName(program).find('.') == std::string::npos) program += ".EXE";
  // Looked for from the Windows directory under its own name, else in the target directory.
  const bool absolute = program.size() >= 2 && (program[1] == ':' || program[0] == '\\');
  std::string found;
  if (absolute) {
    if (system.FileExists(program)) found = program;
  } else if (system.FileExists(JoinPath(places.windowsDir, program))) {
    found = JoinPath(places.windowsDir, program);
  } else if (system.FileExists(JoinPath(places.targetDir, program))) {
    found = JoinPath(places.targetDir, program);
  }
  if (found.empty()) return false;
  resolved = found.find(' ') != std::string::npos ? "\"" + found + "\"" : found;
  if (!arguments.empty()) resolved += " " + arguments;
  return true;
}

SetupFlow::SetupFlow(SetupScript& script, SetupTexts& texts, SetupUi& ui, SetupSystem& system, SetupPlaces places,
                     std::string programDir)
    : m_script(script), m_texts(texts), m_ui(ui), m_system(system), m_places(std::move(places)),
      m_programDir(std::move(programDir)) {}

void SetupFlow::ChooseModules(const std::vector<std::string>& modules) {
  m_modules = modules;
  m_script.ClearModules();
  for (const std::string& name : modules) m_script.ChooseModule(name);
}

std::string SetupFlow::DottedOr(int32_t keyId, const std::string& fallback) {
  std::string value;
  return m_script.DottedValue(LibraryName(keyId), value) ? value : fallback;
}

bool SetupFlow::ConfirmAbort() {
  if (m_ui.Ask(LibraryName(kTextAbortQuestion), kTitleSetup, AskKind::YesNo) == Answer::Yes) {
    m_abort = true;
    return true;
  }
  return false;
}

void SetupFlow::Log(LogKind kind, bool shared, const std::string& text) {
  if (m_logOpen) m_system.WriteLog(LogRecord(kind, shared, text));
}

SetupFlow::Step SetupFlow::TargetStep() {
  std::string dir = m_places.targetDir;
  if (dir.empty()) {
    dir = DottedOr(kTextDefDirKey, "");
    if (dir.empty()) dir = DottedOr(kTextDirKey, "");
  }
  const std::function<void()> atOpen = [this]() {
    if (m_execAtStartDone) return;
    m_execAtStartDone = true;
    RunPrograms("ExecAtStart");
  };
  while (true) {
    const DialogEnd end = m_ui.TargetDialog(dir, atOpen);
    if (end != DialogEnd::Ok) {
      if (ConfirmAbort()) return Step::Cancelled;
      continue;
    }
    dir = dir.substr(0, kMaxTargetDir);
    while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    if (dir.empty()) continue;
    if (m_script.Number("data", "dirwarnexist", 0) == 1 && m_system.DirectoryExists(dir) &&
        m_ui.Ask(FormatText(LibraryName(kTextDirExists), {dir}), kTitleSetup, AskKind::YesNo) != Answer::Yes) {
      continue;
    }
    std::string noUpdate;
    if (m_script.Value("data", "noupdate", noUpdate) && !noUpdate.empty() &&
        m_system.FileExists(JoinPath(dir, noUpdate))) {
      m_ui.Message(FormatText(LibraryName(kTextNoUpdate), {dir, noUpdate}), kTitleSetup, true);
      continue;
    }
    m_places.targetDir = dir;
    return Step::Space;
  }
}

// The target drive needs key 434 (plus key 455 when Windows lies on it), the Windows drive
// key 455. Sizes are 64-bit; negative values count as 0.
SetupFlow::Step SetupFlow::SpaceStep() {
  std::string value;
  int64_t target = 1000000, windows = 100000;
  if (m_script.DottedValue(LibraryName(kTextSpaceKey), value)) target = std::max<int64_t>(0, ParseNumber(value));
  if (m_script.DottedValue(LibraryName(kTextWinSpaceKey), value)) windows = std::max<int64_t>(0, ParseNumber(value));
  const std::string targetDrive = Upper(DriveOf(m_places.targetDir));
  const std::string windowsDrive = Upper(DriveOf(m_places.windowsDir));
  const bool same = targetDrive == windowsDrive;
  const uint64_t targetNeed = static_cast<uint64_t>(target) + (same ? static_cast<uint64_t>(windows) : 0);
  auto kilobytes = [](uint64_t bytes) { return static_cast<int64_t>((bytes + 1023) / 1024); };
  if (m_system.FreeBytes(targetDrive) < targetNeed) {
    m_ui.Message(FormatText(LibraryName(kTextNoSpaceTarget), {kilobytes(targetNeed)}), kTitleSetup, true);
    return Step::Target;
  }
  if (!same && m_system.FreeBytes(windowsDrive) < static_cast<uint64_t>(windows)) {
    m_ui.Message(FormatText(LibraryName(kTextNoSpaceWindows), {kilobytes(static_cast<uint64_t>(windows))}),
                 kTitleSetup, true);
    return Step::Target;
  }
  return Step::Components;
}

SetupFlow::Step SetupFlow::ComponentsStep() {
  const std::string section = LibraryName(kTextModulesSection);
  if (section.empty() || !m_script.HasSection(section)) return Step::Form;
  std::vector<Component> components;
  for (const std::string& line : m_script.Lines(section)) {
    Component component{Field(line, 1), Field(line, 2), Field(line, 3) != "0"};
    for (const std::string& chosen : m_modules) {
      if (EqualNoCase(chosen, component.name)) component.checked = true;
    }
    components.push_back(component);
  }
  std::string picture;
  if (m_script.DottedValue(LibraryName(kTextModulePictureKey), picture)) m_ui.SetPicture(picture);
  while (true) {
    const DialogEnd end = m_ui.ComponentsDialog(components);
    if (end == DialogEnd::Back) return Step::Target;
    if (end == DialogEnd::Cancel) {
      if (ConfirmAbort()) return Step::Cancelled;
      continue;
    }
    std::vector<std::string> chosen;
    for (const Component& component : components) {
      if (component.checked) chosen.push_back(component.name);
    }
    ChooseModules(chosen);
    return Step::Form;
  }
}

// The information form: each line without a key is a field whose text is kept as
// "label,text" in the default value of a key under HKEY_CLASSES_ROOT.
SetupFlow::Step SetupFlow::FormStep() {
  const std::string section = LibraryName(kTextFormSection);
  if (section.empty() || !m_script.HasSection(section)) return Step::Install;
  std::vector<FormField> fields;
  for (const std::string& line : m_script.Lines(section)) {
    bool hasKey = false;
    Field(line, 0, &hasKey);
    if (hasKey) continue;
    FormField field{Field(line, 1), Field(line, 2), "", (ParseNumber(Field(line, 3)) & 2) != 0};
    std::string stored;
    if (field.key.find('\\') != std::string::npos && m_system.ReadClassesRootDefault(field.key, stored)) {
      const size_t comma = stored.find(',');
      if (comma != std::string::npos) field.text = stored.substr(comma + 1);
    }
    fields.push_back(field);
  }
  if (fields.empty()) return Step::Install;
  while (true) {
    const DialogEnd end = m_ui.FormDialog(fields);
    if (end == DialogEnd::Back) return Step::Components;
    if (end == DialogEnd::Cancel) {
      if (ConfirmAbort()) return Step::Cancelled;
      continue;
    }
    const auto empty = std::find_if(fields.begin(), fields.end(),
                                    [](const FormField& f) { return !f.mayBeEmpty && f.text.empty(); });
    if (empty != fields.end()) {
      m_ui.Message(FormatText(LibraryName(kTextFormEmpty), {empty->label}), kTitleSetup, true);
      continue;
    }
    for (const FormField& field : fields) {
      if (field.key.find('\\') == std::string::npos) continue;
      m_system.WriteRegistry(RegistryRoot::ClassesRoot, field.key, "", field.label + "," + field.text);
    }
    return Step::Install;
  }
}

// Creates a directory with its missing parents: when the full path cannot be made, ever
// shorter prefixes are tried until one can, then the full path again; 50 tries at most.
bool SetupFlow::MakeDirectoryPath(const std::string& path) {
  if (m_system.DirectoryExists(path)) return true;
  int32_t tries = 0;
  while (!m_system.MakeOneDirectory(path)) {
    if (++tries >= kDirectoryTries) return false;
    std::string prefix = path;
    while (true) {
      const size_t slash = prefix.rfind('\\');
      if (slash == std::string::npos || slash < 3) break;
      prefix.resize(slash);
      if (m_system.DirectoryExists(prefix) || m_system.MakeOneDirectory(prefix)) break;
    }
  }
  Log(LogKind::Directory, false, path);
  return true;
}

std::vector<std::string> SetupFlow::FileSections() {
  std::vector<std::string> sections{LibraryName(kTextFilesSection), LibraryName(kTextSysFilesSection)};
  for (const std::string& module : m_modules) sections.push_back(module);
  return sections;
}

int64_t SetupFlow::CountWork() {
  int64_t total = 0;
  for (const std::string& section : FileSections()) {
    if (section.empty()) continue;
    for (const std::string& line : m_script.Lines(section)) {
      const std::string spec = Field(line, 1);
      if (!spec.empty() && (spec[0] == '#' || spec[0] == '?')) {
        for (const std::string& sub : m_script.Lines(spec.substr(1))) total += Weight(Field(sub, 3));
      } else {
        total += Weight(Field(line, 3));
      }
    }
  }
  return std::max<int64_t>(1, total);
}

void SetupFlow::InstallSectionForDisk(const std::string& section, char disk) {
  for (const std::string& line : m_script.Lines(section)) {
    if (m_abort) return;
    const std::string spec = Field(line, 1);
    std::vector<FileLine> files;
    if (!spec.empty() && (spec[0] == '#' || spec[0] == '?')) {
      const std::string sub = spec.substr(1);
      if (spec[0] == '?') {
        auto answer = m_subSectionAnswers.find(Upper(sub));
        if (answer == m_subSectionAnswers.end()) {
          const bool yes = m_ui.Ask(FormatText(LibraryName(kTextSubSectionQuestion), {sub}), kTitleSetup,
                                    AskKind::YesNoTaskModal) == Answer::Yes;
          answer = m_subSectionAnswers.emplace(Upper(sub), yes).first;
        }
        if (!answer->second) continue;
      }
      for (const std::string& subLine : m_script.Lines(sub)) {
        const std::string mode = Upper(Field(subLine, 4));
        files.push_back({Field(subLine, 1), Field(subLine, 2), Weight(Field(subLine, 3)), mode.empty() ? 'S' : mode[0]});
      }
    } else {
      const std::string mode = Upper(Field(line, 4));
      files.push_back({spec, "", Weight(Field(line, 3)), mode.empty() ? 'S' : mode[0]});
    }
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const FileLine& f) { return f.source.empty() || DiskOf(f.source, m_places) != disk; }),
                files.end());
    if (files.empty()) continue;
    const std::string field2 = Field(line, 2);
    const std::string targetDir = field2.empty() ? m_places.targetDir : ReplaceDirectoryNames(field2, m_places);
    if (!m_system.DirectoryExists(targetDir) && !MakeDirectoryPath(targetDir)) {
      m_ui.ErrorDialog(ErrorDialogText(m_texts, kCodeDiskFull, targetDir, false));
      m_abort = true;
      return;
    }
    for (const FileLine& file : files) {
      if (m_abort) return;
      m_ui.ProgressText(file.text.empty() ? std::string() : FormatText(LibraryName(kTextFileProgress), {file.text}));
      std::string source = ReplaceDirectoryNames(file.source, m_places);
      if (!(source.size() >= 2 && source[1] == ':') && source[0] != '\\') {
        // A name without a disk: relative to the first disk's directory.
        source = JoinPath(m_places.disks.count('1') ? m_places.disks['1'] : m_places.sourceDir, source);
      }
      m_lineWeight = file.weight;
      m_lineAdvanced = 0;
      while (true) {
        const int32_t code = InstallSource(source, targetDir, file.mode);
        if (code == kCodeOk) break;
        if (code == kCodeAborted) {
          m_abort = true;
          return;
        }
        if (code == kCodeStopped) {
          // The user ended the setup while this file was being written: said once, then the
          // setup ends whatever the button.
          m_ui.ErrorDialog(ErrorDialogText(m_texts, code, source, false));
          m_abort = true;
          return;
        }
        if (code == kCodeNotFound || code == kCodeDiskMissing) {
          const char key = DiskOf(file.source, m_places);
          std::string dir = m_places.disks.count(key) ? m_places.disks[key] : m_places.sourceDir;
          const std::string label = m_places.labels.count(key) ? m_places.labels[key] : std::string();
          if (!m_ui.DiskDialog(label, dir)) {
            m_abort = true;
            return;
          }
          m_places.disks[key] = dir;
          if (key == '1') m_places.sourceDir = dir;
          source = JoinPath(dir, FileName(source));
          continue;
        }
        const bool low = code == kCodeDiskFull && m_system.FreeBytes(DriveOf(targetDir)) < kLowSpace;
        const ErrorChoice choice = m_ui.ErrorDialog(ErrorDialogText(m_texts, code, source, low));
        if (choice == ErrorChoice::Retry) continue;
        if (choice == ErrorChoice::Abort) {
          m_abort = true;
          return;
        }
        ++m_skipped;
        break;
      }
      if (file.weight > m_lineAdvanced) m_ui.ProgressAdvance(file.weight - m_lineAdvanced);
      m_lineAdvanced = file.weight;
      if (!m_ui.Pump()) {
        m_abort = true;
        return;
      }
    }
  }
}

int32_t SetupFlow::InstallSource(const std::string& sourceIn, const std::string& targetDir, char mode) {
  const std::string source = Upper(sourceIn);
  const std::string name = FileName(source);
  if (name.find_first_of("*?") == std::string::npos) return InstallOne(source, targetDir, mode);
  const std::vector<std::string> matches = m_system.FindFiles(source);
  if (matches.empty()) return kCodeNotFound;
  const std::string dir = Directory(source);
  for (const std::string& match : matches) {
    const int32_t code = InstallOne(JoinPath(dir, Upper(match)), targetDir, mode);
    if (code != kCodeOk) return code;
  }
  return kCodeOk;
}

int32_t SetupFlow::InstallOne(const std::string& source, const std::string& targetDir, char mode) {
  if (source.find(".LZH") != std::string::npos) {
    if (!m_system.FileExists(source)) return kCodeNotFound;
    std::vector<std::string> extracted;
    std::string failed;
    const int32_t code = m_system.ExtractLha(source, targetDir, extracted, failed,
                                             [this](uint64_t done, uint64_t total) { return LineProgress(done, total); });
    for (const std::string& path : extracted) {
      const bool shared = IsSharedLibrary(path, m_places.windowsDir);
      Log(LogKind::File, shared, m_system.ShortPath(path));
    }
    return code;
  }
  const std::string name = FileName(source);
  const std::string target = JoinPath(targetDir, name);
  std::string from = source;
  if (!m_system.FileExists(from)) {
    // The compressed copy: the last character of the name replaced by "_".
    from.back() = '_';
    if (!m_system.FileExists(from)) return kCodeNotFound;
  }
  FileStamp sourceTime, targetTime;
  m_system.FileTime(from, sourceTime);
  if (m_system.FileExists(target)) {
    // Deliberate: mode I keeps an existing target like O. Left as it was, it would answer the
    // date check as if the user had cancelled, and the setup could only end by an abort.
    if (mode == 'O' || mode == 'I') return kCodeOk;
    m_system.FileTime(target, targetTime);
    const bool older = sourceTime < targetTime;
    if (mode == 'N' || older) {
      const std::string question =
          FormatText(LibraryName(older ? kTextAskOlder : kTextAskNotOlder),
                     {target, sourceTime.day, sourceTime.month, sourceTime.year, sourceTime.hour, sourceTime.minute,
                      targetTime.day, targetTime.month, targetTime.year, targetTime.hour, targetTime.minute});
      while (true) {
        const Answer answer = m_ui.Ask(question, kTitleSetup, AskKind::YesNoCancel);
        if (answer == Answer::Yes) break;
        if (answer == Answer::No) return kCodeOk;
        if (ConfirmAbort()) return kCodeAborted;
      }
    }
  }
  std::string tempFile;
  uint32_t bits = m_system.InstallVersioned(FileName(from), Directory(from), name, targetDir, mode == 'A', tempFile);
  if ((bits & kConflictBits) && !(bits & ~(kConflictBits | kInstallTempFile))) {
    bool force = mode == 'O';
    if (!force && mode != 'I') {
      m_system.FileTime(target, targetTime);
      const std::string text = ConflictText(m_texts, bits, from, sourceTime, target, targetTime);
      force = m_ui.Ask(text, LibraryName(kTextConflictTitle), AskKind::YesNo) == Answer::Yes;
    }
    // The system's temporary copy never stays behind.
    if ((bits & kInstallTempFile) && !tempFile.empty()) m_system.DeleteOneFile(tempFile);
    if (!force) return kCodeOk;
    tempFile.clear();
    bits = m_system.InstallVersioned(FileName(from), Directory(from), name, targetDir, true, tempFile);
  }
  if (bits == 0) return Finish(target, false, "");
  if ((bits & kInUseBits) && !(bits & (kConflictBits | kInstallTempFile)) && m_system.FileExists(target) &&
      m_system.MakeTemporaryCopy(from, targetDir, tempFile)) {
    // The system refused without leaving a copy of its own: one is made here.
    bits |= kInstallTempFile;
  }
  if ((bits & kInstallTempFile) && (bits & kInUseBits) && !(bits & kConflictBits) && !tempFile.empty()) {
    // The old file is in use: the new one takes its place at the next restart.
    if (m_system.DelayedMove(tempFile, target)) return Finish(target, true, tempFile);
    std::string wininit;
    const std::string wininitPath = JoinPath(m_places.windowsDir, "WININIT.INI");
    m_system.ReadWholeFile(wininitPath, wininit);
    const std::string next = AddWininitRename(wininit, m_system.ShortPath(target), m_system.ShortPath(tempFile));
    const std::string newPath = JoinPath(m_places.windowsDir, "WININIT.NEW");
    if (m_system.WriteWholeFile(newPath, next) && m_system.MoveReplacing(newPath, wininitPath)) {
      return Finish(target, true, tempFile);
    }
  }
  if ((bits & kInstallTempFile) && !tempFile.empty()) m_system.DeleteOneFile(tempFile);
  const int32_t code = InstallFailureCode(bits);
  return code == kCodeOk ? kCodeLocked : code;
}

// Within a large file the bar moves by the share of its bytes done; false once the user
// ended the setup.
bool SetupFlow::LineProgress(uint64_t done, uint64_t total) {
  if (total > 0) {
    // Weights are at most 10^6: the product stays below 2^63 for archives under 9 TB.
    const int64_t due = static_cast<int64_t>(static_cast<uint64_t>(m_lineWeight) * std::min(done, total) / total);
    if (due > m_lineAdvanced) {
      m_ui.ProgressAdvance(due - m_lineAdvanced);
      m_lineAdvanced = due;
    }
  }
  return m_ui.Pump();
}

// A verified installation: the shared count is raised, then the file is logged.
int32_t SetupFlow::Finish(const std::string& target, bool pending, const std::string& tempFile) {
  const bool shared = IsSharedLibrary(target, m_places.windowsDir);
  if (shared) {
    bool isDword = false;
    uint32_t value = 0;
    if (!m_system.ReadSharedCount(target, isDword, value)) {
      isDword = true;
      value = 0;
    }
    m_system.WriteSharedCount(target, NextSharedCount(isDword, value));
  }
  if (pending) {
    m_restart = true;
    Log(LogKind::Pending, shared, m_system.ShortPath(target));
  } else {
    Log(LogKind::File, shared, m_system.ShortPath(target));
  }
  return kCodeOk;
}

void SetupFlow::WriteIniEntries() {
  for (const std::string& line : m_script.Lines("INI")) {
    const std::string file = ExpandText(QuotedField(line, 1), m_places, m_system);
    if (file.empty()) continue;
    if (m_system.WriteIni(file + ".INI", ExpandText(QuotedField(line, 2), m_places, m_system),
                          ExpandText(QuotedField(line, 3), m_places, m_system),
                          ExpandText(QuotedField(line, 4), m_places, m_system))) {
      Log(LogKind::Ini, false, line);
    }
  }
}

void SetupFlow::WriteRegistryValues() {
  for (const std::string& line : m_script.Lines("REGISTRY")) {
    const std::string path = Field(line, 0);
    const size_t first = path.find('\\');
    const size_t last = path.rfind('\\');
    if (first == std::string::npos || first == last) continue;
    const std::string rootName = Upper(path.substr(0, first));
    const RegistryRoot root = rootName == "HKEY_LOCAL_MACHINE"  ? RegistryRoot::LocalMachine
                              : rootName == "HKEY_CURRENT_USER" ? RegistryRoot::CurrentUser
                                                                : RegistryRoot::ClassesRoot;
    if (m_system.WriteRegistry(root, path.substr(first + 1, last - first - 1), path.substr(last + 1),
                               ExpandText(QuotedField(line, 1), m_places, m_system))) {
      Log(LogKind::Registry, false, line);
    }
  }
}

void SetupFlow::RunPrograms(const std::string& section) {
  for (const std::string& line : m_script.Lines(section)) {
    if (m_abort) return;
    const std::string program = ReplaceDirectoryNames(Field(line, 1), m_places);
    if (program.empty()) continue;
    const std::string command = "\"" + program + "\" " + ExpandText(QuotedField(line, 2), m_places, m_system);
    m_system.RunAndWait(command, m_places.targetDir);
  }
}

// One pass over a group section. A Program Manager that cannot be reached is reported once
// and the groups are left out.
bool SetupFlow::GroupPass(const std::string& section, bool second, bool& connected) {
  const std::vector<std::string> groups = m_script.Lines(section);
  if (groups.empty()) return true;
  m_ui.ProgressText(LibraryName(kTextGroupsProgress));
  std::vector<std::string> minimized;
  for (const std::string& line : groups) {
    if (m_abort) break;
    const std::string group = Field(line, 1);
    const std::string groupFile = Field(line, 2);
    const std::string replaceFlag = Field(line, 3);
    if (group.empty()) continue;
    bool replace = replaceFlag == "1";
    if (replaceFlag == "0" && !groupFile.empty()) {
      const std::string path = groupFile.find_first_of("\\:") == std::string::npos ? JoinPath(m_places.windowsDir, groupFile)
                                                                                     : groupFile;
      replace = m_system.FileExists(path) &&
                m_ui.Ask(FormatText(LibraryName(kTextReplaceGroup), {group}), group, AskKind::YesNo) == Answer::Yes;
    }
    if (!connected) {
      connected = m_system.DdeConnect() || (m_system.StartProgramManager() && m_system.DdeConnect());
      if (!connected) {
        if (!m_noProgmanShown) m_ui.Message(LibraryName(kTextNoProgman), kTitleSetup, true);
        m_noProgmanShown = true;
        return false;
      }
    }
    if (replace) m_system.DdeExecute(DdeDeleteGroup(group));
    if (m_system.DdeExecute(DdeCreateGroup(group, groupFile))) Log(LogKind::Group, false, group);
    for (const std::string& item : m_script.Lines(group)) {
      std::string command;
      if (!ResolveItemCommand(Field(item, 2), m_places, m_system, command)) continue;
      std::string icon;
      const std::string iconField = Field(item, 3);
      if (!iconField.empty()) {
        std::string iconCommand;
        icon = ResolveItemCommand(iconField, m_places, m_system, iconCommand) ? iconCommand : iconField;
        // The icon stands in quotes of its own in the command.
        icon.erase(std::remove(icon.begin(), icon.end(), '"'), icon.end());
      }
      const std::string workField = Field(item, 5);
      const std::string workDir = workField.empty() ? std::string() : ReplaceDirectoryNames(workField, m_places);
      if (!workDir.empty()) {
        m_system.DdeExecute(DdeAddItemShort(command));
        m_system.DdeExecute(DdeReplaceItem(command));
      }
      const int32_t index = static_cast<int32_t>(ParseNumber(Field(item, 4)));
      if (m_system.DdeExecute(DdeAddItem(command, Field(item, 1), icon, index, workDir))) {
        Log(LogKind::Item, false, Field(item, 1));
      }
    }
    if (Field(line, 4) == "1") minimized.push_back(group);
    m_ui.Pump();
  }
  for (const std::string& group : minimized) m_system.DdeExecute(DdeShowGroup(group));
  if (second) {
    for (const std::string& line : groups) {
      if (Field(line, 4) != "1") {
        m_system.DdeExecute(DdeCreateGroup(Field(line, 1), ""));
        break;
      }
    }
  }
  m_system.DdeDisconnect();
  connected = false;
  return true;
}

void SetupFlow::MakeGroups() {
  bool connected = false;
  if (GroupPass("progman.groups", false, connected)) {
    const std::string second = LibraryName(kTextGroupsSection);
    if (!second.empty()) GroupPass(second, true, connected);
  }
}

void SetupFlow::DeleteNowOrAtRestart(const std::string& path) {
  if (m_system.DeleteOneFile(path)) return;
  if (m_system.DelayedMove(path, "")) return;
  // Older systems: "NUL=" + the short path in the [rename] section of WININIT.INI, written
  // to WININIT.NEW first so that a failure leaves the old file whole.
  const std::string wininitPath = JoinPath(m_places.windowsDir, "WININIT.INI");
  std::string content;
  m_system.ReadWholeFile(wininitPath, content);
  const std::string newPath = JoinPath(m_places.windowsDir, "WININIT.NEW");
  if (m_system.WriteWholeFile(newPath, AddWininitDelete(content, m_system.ShortPath(path)))) {
    m_system.MoveReplacing(newPath, wininitPath);
  }
}

void SetupFlow::CleanUp() {
  if (m_logOpen) m_system.CloseLog();
  m_logOpen = false;
  const std::string list = JoinPath(m_programDir, "MEDRA.LST");
  std::string bytes;
  if (m_system.FileExists(list) && m_system.ReadWholeFile(list, bytes)) {
    for (const std::string& name : ParseCleanupList(bytes)) {
      const std::string path = JoinPath(m_programDir, name);
      if (m_system.FileExists(path)) DeleteNowOrAtRestart(path);
    }
    DeleteNowOrAtRestart(list);
  }
}

int32_t SetupFlow::Run() {
  Step step = Step::Target;
  while (step != Step::Install && step != Step::Cancelled) {
    switch (step) {
      case Step::Target: step = TargetStep(); break;
      case Step::Space: step = SpaceStep(); break;
      case Step::Components: step = ComponentsStep(); break;
      case Step::Form: step = FormStep(); break;
      default: step = Step::Cancelled; break;
    }
  }
  if (step == Step::Cancelled) {
    CleanUp();
    return 1;
  }
  // Step 4: the target directory, the log, the target directory as the first record.
  if (!MakeDirectoryPath(m_places.targetDir)) {
    m_ui.ErrorDialog(ErrorDialogText(m_texts, kCodeDiskFull, m_places.targetDir, false));
    CleanUp();
    return 0;
  }
  m_logOpen = m_system.OpenLog(JoinPath(m_places.targetDir, "medra.log"));
  Log(LogKind::Directory, false, m_places.targetDir);
  m_ui.ShowProgress(true);
  m_ui.ProgressRange(CountWork());
  for (const char* disk = kDiskOrder; *disk != 0 && !m_abort; ++disk) {
    for (const std::string& section : FileSections()) {
      if (m_abort) break;
      if (!section.empty()) InstallSectionForDisk(section, *disk);
    }
  }
  if (!m_abort) {
    MakeGroups();
    WriteIniEntries();
    WriteRegistryValues();
  }
  m_ui.ShowProgress(false);
  if (!m_abort) {
    RunPrograms("Exec");
    std::string closing = LibraryName(kTextClosing);
    if (m_skipped > 0) closing += "\r\n" + FormatText(LibraryName(kTextSkipped), {m_skipped});
    if (m_restart) closing += "\r\n" + LibraryName(kTextRestart);
    m_ui.Message(closing, kTitleSetup, false);
    RunPrograms("ExecAfterMessage");
  }
  CleanUp();
  return m_abort ? 0 : 1;
}

}  // namespace talven::installer
