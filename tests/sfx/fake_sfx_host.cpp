#include "tests/sfx/fake_sfx_host.h"

#include <algorithm>
#include <cstring>

namespace talven::sfx::test {

std::string FakeSfxHost::Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

bool FakeSfxHost::SeekArchive(uint64_t offset) {
  position = offset;
  return true;
}

int32_t FakeSfxHost::ReadArchive(uint8_t* buffer, int32_t size) {
  if (position >= archive.size()) return 0;
  const uint64_t available = archive.size() - position;
  const int32_t n = static_cast<int32_t>(std::min<uint64_t>(available, static_cast<uint64_t>(size)));
  std::memcpy(buffer, archive.data() + position, static_cast<size_t>(n));
  position += static_cast<uint64_t>(n);
  return n;
}

// Like a sorted list box: ordered without regard to case, new entries after equal ones.
void FakeSfxHost::AddToList(const char* name) {
  const std::string key = Key(name);
  auto at = std::upper_bound(list.begin(), list.end(), key, [](const std::string& k, const auto& item) {
    return k < Key(item.first);
  });
  list.insert(at, {name, false});
}

int32_t FakeSfxHost::FindInList(const char* name) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (Key(list[i].first) == Key(name)) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t FakeSfxHost::SelectedCount() {
  return static_cast<int32_t>(std::count_if(list.begin(), list.end(), [](const auto& item) { return item.second; }));
}

Answer FakeSfxHost::AskOverwrite(const char* fileName, bool& dontAskAgain) {
  events.push_back(std::string("ask: ") + fileName);
  if (overwriteAnswers.empty()) return Answer::No;
  const auto [answer, dontAsk] = overwriteAnswers.front();
  overwriteAnswers.pop_front();
  dontAskAgain = dontAsk;
  return answer;
}

void FakeSfxHost::AskPassword(char* password) {
  events.push_back("password");
  std::string answer;
  if (!passwords.empty()) {
    answer = passwords.front();
    passwords.pop_front();
  }
  std::strncpy(password, answer.c_str(), kMaxPassword);
}

void FakeSfxHost::MakeDirectory(const char* path) {
  // A file in the way blocks a directory of the same name.
  if (files.count(Key(path)) == 0) directories.insert(Key(path));
}

bool FakeSfxHost::OpenOutput(const char* target) {
  if (outputOpen) return false;
  std::string parent = target;
  parent = parent.substr(0, parent.rfind('\\'));
  if (!directories.count(Key(parent))) return false;
  openTarget = target;
  openData.clear();
  outputOpen = true;
  return true;
}

bool FakeSfxHost::WriteOutput(const uint8_t* data, int32_t size) {
  if (!outputOpen) return false;
  openData.append(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
  return true;
}

bool FakeSfxHost::CommitOutput() {
  outputOpen = false;
  if (readOnly.count(Key(openTarget)) || directories.count(Key(openTarget))) return false;
  files[Key(openTarget)] = openData;
  return true;
}

void FakeSfxHost::DiscardOutput() {
  outputOpen = false;
  openData.clear();
}

void FakeSfxHost::SelectAll() {
  for (auto& item : list) item.second = true;
}

std::vector<std::string> FakeSfxHost::Names() const {
  std::vector<std::string> names;
  for (const auto& item : list) names.push_back(item.first);
  return names;
}

std::vector<std::string> FakeSfxHost::Selected() const {
  std::vector<std::string> names;
  for (const auto& item : list) {
    if (item.second) names.push_back(item.first);
  }
  return names;
}

std::string FakeSfxHost::File(const std::string& path) const {
  const auto found = files.find(Key(path));
  return found == files.end() ? std::string("<missing>") : found->second;
}

}  // namespace talven::sfx::test
