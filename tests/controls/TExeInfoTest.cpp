#include "TExeInfo.hpp"

#include <gtest/gtest.h>

TEST(TExeInfo, RecordNoneAndMissingValue) {
    const TVersionRecord full{{{"ProductName", "Quorvane"}, {"FileVersion", "1.2.3.4"}}};
    const TVersionRecord noName{{{"FileVersion", "1.2.3.4"}}};
    struct {
        const char* name;
        const TVersionRecord* record;
        const char* product;
        const char* version;
    } cases[] = {
        {"a full record", &full, "Quorvane", "1.2.3.4"},
        {"no record", nullptr, "Updated at run-time", "Updated at run-time"},
        {"a record without the product name", &noName, "", "1.2.3.4"},
    };
    for (const auto& c : cases) {
        const TExeInfo info(c.record);
        EXPECT_EQ(info.ProductName, c.product) << c.name;
        EXPECT_EQ(info.FileVersion, c.version) << c.name;
    }
}
