// The table layer against its peers, natively, in one run: 100,000 records NAME C20, NR N8,
// BETRAG N10.2 appended (the count kept current in the file after each), scanned reading two
// fields, indexed by DBCREATEINDEX, searched by 100,000 random exact finds, and 10,000 more
// appended through the index. Peers: shapelib (append, scan), XBase::Index (finds on the
// same index file, in Perl), python3-dbfread (scan).
// Each step of ours and of shapelib is timed twice: by the clock on the wall and by the
// process's CPU time (user and system), which a busy machine disturbs far less.
//
//   dbase_bench [records] [folder]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <unistd.h>

#include <shapefil.h>

#include "library/dbase/std_db_file.h"
#include "library/dbase/table.h"

using namespace talven::dbase;
using Clock = std::chrono::steady_clock;

namespace {

double CpuNow() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A step's time on the wall and in CPU.
struct Span {
  double wall = 0;
  double cpu = 0;
};

struct Start {
  Clock::time_point wall = Clock::now();
  double cpu = CpuNow();
  Span Elapsed() const { return {std::chrono::duration<double>(Clock::now() - wall).count(), CpuNow() - cpu}; }
};

std::string Name(uint32_t i) {
  static const char* const kNames[] = {"Abel", "Bauer", "Christ", "Dorn", "Engel", "Fuchs", "Graf", "Hahn"};
  return std::string(kNames[i % 8]) + std::to_string((i * 2654435761u) % 1000003u);
}

// Rates per second, wall (cpu); a peer in-process has both, one in another language wall only.
void Line(const char* what, uint32_t count, Span ours, Span peer, const char* peerName) {
  std::printf("%-28s %9.0f (%9.0f) /s", what, count / ours.wall, count / ours.cpu);
  if (peer.wall > 0) {
    std::printf("   %-13s %9.0f", peerName, count / peer.wall);
    if (peer.cpu > 0) std::printf(" (%9.0f)", count / peer.cpu);
    std::printf(" /s   ratio %.2f", peer.wall / ours.wall);
    if (peer.cpu > 0) std::printf(" (%.2f)", peer.cpu / ours.cpu);
  }
  std::printf("\n");
}

// Seconds the shell command reports on its last line.
double Timed(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char line[256];
  double seconds = -1;
  while (std::fgets(line, sizeof line, pipe)) seconds = std::atof(line);
  pclose(pipe);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t count = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 100000;
  const std::string dir = argc > 2 ? argv[2] : "/tmp/talven-dbase-bench";
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  StdFileSystem files;
  const std::string table = dir + "/OURS.DBF", definitions = dir + "/DEF.TXT";
  {
    FILE* out = std::fopen(definitions.c_str(), "w");
    std::fputs("NAME;C;20\nNR;N;8\nBETRAG;N;10;2\n", out);
    std::fclose(out);
  }
  const DbDate today{2026, 12, 8};
  if (!CreateTable(files, definitions, table, today)) return 1;
  std::unique_ptr<Table> ours;
  if (!Table::Open(files, table, &ours)) return 1;

  char number[32];
  Start start;
  for (uint32_t i = 0; i < count; ++i) {
    ours->PutField(1, Name(i));
    std::snprintf(number, sizeof number, "%8u", i);
    ours->PutField(2, number);
    std::snprintf(number, sizeof number, "%10.2f", i * 0.37);
    ours->PutField(3, number);
    uint32_t record = 0;
    if (!ours->AppendBlank(&record)) return 1;
  }
  const Span oursAppend = start.Elapsed();

  start = Start();
  size_t checksum = 0;
  std::string text;
  for (uint32_t r = 1; r <= count; ++r) {
    ours->Go(r);
    ours->GetField(1, &text);
    checksum += text.size();
    ours->GetField(3, &text);
    checksum += text[9];
  }
  const Span oursScan = start.Elapsed();

  // shapelib: the same table.
  const std::string shape = dir + "/SHAPE.DBF";
  start = Start();
  DBFHandle handle = DBFCreate(shape.c_str());
  DBFAddField(handle, "NAME", FTString, 20, 0);
  DBFAddField(handle, "NR", FTInteger, 8, 0);
  DBFAddField(handle, "BETRAG", FTDouble, 10, 2);
  for (uint32_t i = 0; i < count; ++i) {
    DBFWriteStringAttribute(handle, static_cast<int>(i), 0, Name(i).c_str());
    DBFWriteIntegerAttribute(handle, static_cast<int>(i), 1, static_cast<int>(i));
    DBFWriteDoubleAttribute(handle, static_cast<int>(i), 2, i * 0.37);
  }
  DBFClose(handle);
  const Span shapeAppend = start.Elapsed();
  start = Start();
  handle = DBFOpen(table.c_str(), "rb");
  for (uint32_t r = 0; r < count; ++r) {
    checksum += std::string(DBFReadStringAttribute(handle, static_cast<int>(r), 0)).size();
    checksum += static_cast<size_t>(DBFReadDoubleAttribute(handle, static_cast<int>(r), 2));
  }
  DBFClose(handle);
  const Span shapeScan = start.Elapsed();

  start = Start();
  if (!ours->CreateIndex("NAME", dir + "/NAME")) return 1;
  const Span oursIndex = start.Elapsed();

  std::mt19937 random(1208);
  std::vector<std::string> keys(count);
  for (uint32_t i = 0; i < count; ++i) keys[i] = Name(std::uniform_int_distribution<uint32_t>(0, count - 1)(random));
  start = Start();
  uint32_t found = 0, hits = 0;
  for (const auto& key : keys) {
    ours->Find(key, true, &found);
    hits += found != 0;
  }
  const Span oursFind = start.Elapsed();
  if (hits != count) std::fprintf(stderr, "finds: %u of %u\n", hits, count);

  const uint32_t more = count / 10;
  start = Start();
  for (uint32_t i = count; i < count + more; ++i) {
    ours->PutField(1, Name(i));
    uint32_t record = 0;
    if (!ours->AppendBlank(&record)) return 1;
  }
  const Span oursIndexed = start.Elapsed();
  ours->Close(today);

  // The peers in other languages time themselves (start-up excluded).
  const std::string keysFile = dir + "/keys.txt";
  {
    FILE* out = std::fopen(keysFile.c_str(), "w");
    for (const auto& key : keys) std::fprintf(out, "%s\n", key.c_str());
    std::fclose(out);
  }
  const double xbaseFind = Timed(
      "perl -MXBase::Index -MTime::HiRes=time -e '$i = XBase::Index->new(\"" + dir +
      "/NAME.NDX\", type => \"C\") or die; open K, \"<\", \"" + keysFile +
      "\"; @k = map { chomp; sprintf(\"%-20s\", $_) } <K>; $t = time; for (@k) { $i->prepare_select_eq($_); "
      "$i->fetch } print time - $t, \"\\n\"'");
  const double dbfreadScan = Timed("/usr/bin/python3 -c 'import time, dbfread; t = dbfread.DBF(\"" + table +
                                   "\"); s = time.time(); n = sum(len(r[\"NAME\"]) + int(r[\"BETRAG\"] or 0) for r in t); "
                                   "print(time.time() - s)'");

  std::printf("dBase tables, %u records NAME C20, NR N8, BETRAG N10.2 (checksum %zu)\n", count, checksum % 1000);
  std::printf("%-28s %25s   %-13s %21s   %s\n", "step", "ours wall (cpu)", "peer", "wall (cpu)", "ours/peer");
  Line("append (count kept current)", count, oursAppend, shapeAppend, "shapelib");
  Line("scan, two fields", count, oursScan, shapeScan, "shapelib");
  Line("scan, two fields", count, oursScan, {dbfreadScan, 0}, "dbfread");
  std::printf("%-28s %9.3f (%9.3f) s\n", "DBCREATEINDEX NAME", oursIndex.wall, oursIndex.cpu);
  Line("random exact finds", count, oursFind, {xbaseFind, 0}, "XBase::Index");
  Line("appends through the index", more, oursIndexed, {}, "");
  std::system(("rm -rf '" + dir + "'").c_str());
  return 0;
}
