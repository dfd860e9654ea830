// editor_model: times the editor's text model on a generated 65535-line source (~2.5 MB)
// and prints one row per operation with its goal.
//   editor_model [ROUNDS]      (best of ROUNDS, default 5)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "editor/colouring.h"
#include "editor/editor_rules.h"
#include "editor/text_document.h"

using namespace talven::editor;

namespace {

std::string Source() {
  static const char* const kLines[] = {
      "PRINT \"Zeile\"; i%; \" von \"; n%  ' Ausgabe",
      "  IF a% > 100 THEN b$ = @STR$(a%) + \"x\"",
      "DIM feld%[100], name$[20], wert!, zaehler&, rest$[40]",
      "REM ein Kommentar mit etwas mehr Text darin, damit die Datei waechst",
      "  WHILE i% < 10",
      "    i% = i% + 1 : PRINT (a'b)",
      "  ENDWHILE",
      "PROC Zeichne x%, y%, breite%, hoehe%, farbe&"};
  std::string text;
  for (int i = 0; i < 65535; ++i) {
    text += kLines[i % 8];
    text += "\r\n";
  }
  return text;
}

double Best(int rounds, const std::function<void()>& prepare, const std::function<void()>& run) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    run();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
  }
  return best;
}

void Row(const char* what, double ms, const char* goal) { std::printf("%-34s %9.2f ms   %s\n", what, ms, goal); }

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const std::string source = Source();
  std::printf("source: %zu bytes, 65535 lines; best of %d\n", source.size(), rounds);
  const long before = MaxRssKb();
  TextDocument doc;
  auto reload = [&] { doc.Load(source); };
  Row("load", Best(rounds, [] {}, reload), "<= 60 ms");
  const long after = MaxRssKb();
  std::printf("%-34s %9.2f MB   (peak growth; goal <= 3x the file)\n", "memory after load",
              (after - before) / 1024.0);
  volatile size_t sink = 0;
  Row("go to the end", Best(rounds, reload, [&] {
        doc.SetCaret(doc.Size());
        sink += doc.CaretPlace().line;
      }), "");
  std::mt19937 random(1);
  Row("10^5 line look-ups", Best(rounds, [] {}, [&] {
        for (int i = 0; i < 100000; ++i) sink += doc.LineText(random() % doc.LineCount()).size();
      }), "");
  Row("miss forward (from the start)", Best(rounds, [&] { doc.SetCaret(0); }, [&] {
        sink += doc.Find("gibt es nicht", SearchFlags::None);
      }), "<= 15 ms");
  Row("miss backward (from the end)", Best(rounds, [&] { doc.SetCaret(doc.Size()); }, [&] {
        sink += doc.Find("gibt es nicht", SearchFlags::Backward);
      }), "<= 15 ms");
  Row("miss forward, match case", Best(rounds, [&] { doc.SetCaret(0); }, [&] {
        sink += doc.Find("gibt es nicht", SearchFlags::MatchCase);
      }), "<= 15 ms");
  Row("whole-word search, every hit", Best(rounds, [&] { doc.SetCaret(0); }, [&] {
        while (doc.Find("PRINT", SearchFlags::WholeWord)) ++sink;
      }), "");
  Row("replace-all 65535 hits + undo", Best(rounds, reload, [&] {
        sink += doc.ReplaceHits("\r\n", "\r\n ", SearchFlags::ReplaceAll | SearchFlags::MatchCase);
        doc.Undo();
      }), "<= 200 ms");
  Row("10,000 typed characters", Best(rounds, [&] {
        reload();
        doc.SetCaret(doc.Size() / 2);
      }, [&] {
        for (int i = 0; i < 10000; ++i) doc.TypeChar(static_cast<char>('a' + i % 26));
      }), "");
  Row("indent all + undo", Best(rounds, [&] {
        reload();
        doc.SelectAll();
      }, [&] {
        IndentLines(doc, " ");
        doc.Undo();
      }), "");
  reload();
  Row("colour all", Best(rounds, [] {}, [&] {
        const Selection none{};
        for (int32_t line = 0; line < doc.LineCount(); ++line) {
          sink += ColourLine(doc.DisplayText(line), 0, 200, line + 1, none, true).size();
        }
      }), "");
  return sink == 12345 ? 1 : 0;
}
