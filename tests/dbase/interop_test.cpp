// Interop with the Debian tools: placeholder until the fixtures exist.
#include <gtest/gtest.h>
