#include <gtest/gtest.h>
#include "support/JetWriter.h"
TEST(JetWriter, Placeholder) { jetwriter::WriteAllTypesFixture(KELVANE_BINARY_DIR "/placeholder.mdb"); }
