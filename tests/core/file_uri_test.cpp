#include <gtest/gtest.h>

#include <string>

#include "core/file_uri.h"

using namespace quorvex;

TEST(FileUri, EncodesEveryByteOutsideTheUnreservedSet)
{
    const struct {
        std::string path, uri;
    } cases[] = {
        {"/usr/bin/env", "file:///usr/bin/env"},
        {"/opt/\xff\xfe-app", "file:///opt/%FF%FE-app"},
        {"/tmp/a dir/\xE6\x96\x87#1%.bin", "file:///tmp/a%20dir/%E6%96%87%231%25.bin"},
        {"/x/A-z_0.9~?&=+;", "file:///x/A-z_0.9~%3F%26%3D%2B%3B"},
        {std::string("/n\0l", 4), "file:///n%00l"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileUri(c.path), c.uri) << c.path;
}
