#include "tests/support/golden.h"

#include <fstream>
#include <sstream>

namespace talven::test {

namespace {

std::string Trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) < 33) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) < 33) --last;
  return text.substr(first, last - first);
}

bool TakeDirective(const std::string& line, const std::string& name, std::string& value) {
  const std::string prefix = "' " + name + ":";
  if (line.rfind(prefix, 0) != 0) return false;
  value = line.substr(prefix.size());
  if (!value.empty() && value.front() == ' ') value.erase(0, 1);
  return true;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

std::string Unescaped(const std::string& text, bool typed) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += typed ? "\r" : "\r\n";
      ++i;
    } else if (typed && text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'b') {
      out += '\b';
      ++i;
    } else if (typed && text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'f') {
      out += '\f';  // the F1 key
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

GoldenCase ParseGolden(const std::string& path) {
  GoldenCase golden;
  golden.file = path;
  std::ifstream in(path, std::ios::binary);
  std::string raw;
  while (std::getline(in, raw)) {
    const std::string line = Trimmed(raw);
    std::string value;
    if (TakeDirective(line, "args", value)) {
      golden.args = SplitWords(value);
    } else if (TakeDirective(line, "answer", value)) {
      golden.answers.push_back(Trimmed(value));
      if (!golden.typed.empty() && (IsActionChunk(golden.typed.back(), kSetChunk) ||
                                    IsActionChunk(golden.typed.back(), kSelectChunk))) {
        golden.typed.push_back(ActionChunk(kStepsEndChunk, ""));
      }
    } else if (TakeDirective(line, "ini", value)) {
      const size_t equals = value.find('=');
      golden.ini.emplace_back(value.substr(0, equals),
                              equals == std::string::npos ? "" : value.substr(equals + 1));
    } else if (TakeDirective(line, "env", value)) {
      const size_t equals = value.find('=');
      golden.environment.emplace_back(value.substr(0, equals),
                                      equals == std::string::npos ? "" : value.substr(equals + 1));
    } else if (TakeDirective(line, "box", value)) {
      golden.events.push_back("box: " + value);
    } else if (TakeDirective(line, "dialog", value)) {
      golden.events.push_back("dialog: " + value);
    } else if (TakeDirective(line, "type", value)) {
      golden.typed.push_back(Unescaped(value, true));
    } else if (TakeDirective(line, "click", value)) {
      golden.typed.push_back(ActionChunk(kClickChunk, Trimmed(value)));
    } else if (TakeDirective(line, "menu", value)) {
      golden.typed.push_back(ActionChunk(kMenuChunk, Trimmed(value)));
    } else if (TakeDirective(line, "set", value)) {
      golden.typed.push_back(ActionChunk(kSetChunk, Unescaped(value, false)));
    } else if (TakeDirective(line, "select", value)) {
      golden.typed.push_back(ActionChunk(kSelectChunk, Trimmed(value)));
    } else if (TakeDirective(line, "screen", value)) {
      golden.events.push_back("screen: " + value);
    } else if (TakeDirective(line, "exit", value)) {
      golden.exitCode = std::stoi(value);
    } else if (TakeDirective(line, "compile box", value)) {
      golden.compileEvents.push_back("box: " + value);
    } else if (TakeDirective(line, "compile exit", value)) {
      golden.compileExit = std::stoi(value);
    } else if (TakeDirective(line, "compiled box", value)) {
      if (!golden.compiledEvents) golden.compiledEvents.emplace();
      golden.compiledEvents->push_back("box: " + value);
    } else if (TakeDirective(line, "compiled dialog", value)) {
      if (!golden.compiledEvents) golden.compiledEvents.emplace();
      golden.compiledEvents->push_back("dialog: " + value);
    } else if (TakeDirective(line, "compiled none", value)) {
      golden.compiledEvents.emplace();
    } else if (TakeDirective(line, "compiled exit", value)) {
      golden.compiledExit = std::stoi(value);
    } else if (TakeDirective(line, "compiled args", value)) {
      golden.compiledArgs = SplitWords(value);
    }
  }
  return golden;
}

std::vector<std::string> CompiledEvents(const GoldenCase& golden) {
  if (golden.compiledEvents) return *golden.compiledEvents;
  // The runtime's error boxes carry "Zeile" + the number + "!" instead of the line.
  std::vector<std::string> events;
  for (const std::string& event : golden.events) {
    const size_t caption = event.find(" | Zeile ");
    const size_t lineEnd = event.find(": \\n", caption);
    const size_t textStart = event.find(" | ", caption + 3);
    if (event.rfind("box: ", 0) == 0 && caption != std::string::npos && lineEnd != std::string::npos &&
        textStart != std::string::npos && lineEnd < textStart) {
      events.push_back(event.substr(0, lineEnd) + "!" + event.substr(textStart));
    } else if (event == "dialog: Datei laden:") {
      // The runtime's dialog names the system before the prompt.
      events.push_back("dialog: TALVEN\xB2-Datei laden:");
    } else {
      events.push_back(event);
    }
  }
  return events;
}

int CompiledExit(const GoldenCase& golden) { return golden.compiledExit.value_or(golden.exitCode); }

}  // namespace talven::test
