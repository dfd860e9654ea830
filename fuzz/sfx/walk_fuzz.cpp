// libFuzzer target: any byte string as the archive behind the stub. Both passes run over it
// (with and without paths, every overwrite mode, passwords answered); nothing may be written
// under a name that leaves the target directory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "sfx/entry_names.h"
#include "sfx/extractor.h"
#include "tests/sfx/fake_sfx_host.h"

using namespace talven::sfx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  test::FakeSfxHost host;
  host.archive = std::string("STUB") + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  host.directories = {"C:\\", "C:\\ZIEL"};
  host.pathsChecked = (data[0] & 1) != 0;
  host.passwords = {"geheim", "", "Kennwort"};
  for (int i = 0; i < 4; ++i) host.overwriteAnswers.push_back({(data[0] & 2) ? Answer::Yes : Answer::No, (data[0] & 4) != 0});
  auto extractor = std::make_unique<Extractor>(host, 4);
  extractor->SetMode(static_cast<OverwriteMode>((data[0] >> 3) % 3));
  if (extractor->ListPass() == PassEnd::EndProgram) return 0;
  host.SelectAll();
  extractor->ExtractPass("C:\\Ziel");
  extractor->ExtractPass("C:\\Ziel\\");
  for (const auto& [path, content] : host.files) {
    if (path.rfind("C:\\ZIEL\\", 0) != 0 || path.find("\\..\\") != std::string::npos) std::abort();
  }
  return 0;
}
