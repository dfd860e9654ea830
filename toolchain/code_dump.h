#pragma once
// The readable listing of a code file: header, mode, and each line with its codes named.

#include <string>

#include "toolchain/code_file.h"

namespace talven {

std::string DumpCodeFile(const CodeFileContent& content);

}  // namespace talven
