#include "common/module_instance.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

TEST(Strings, Placeholder) { EXPECT_EQ("CVS", ferrow::LoadResString(IDS_CVS)); }
