// JsonLineBufferTest.cpp - members written in place read as the JSON writer writes them.
#include "session/JsonLineBuffer.h"

#include "json/JsonText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A member of plain texts is copied in and checked in place, sixteen bytes at a time; one
// that needs escaping takes the general way: both must read the same, whatever the length
// and wherever in the text the byte to escape lies.
TEST(JsonLineBufferTest, MembersReadTheSameWhateverTheirLength) {
    host::JsonLineBuffer line;
    for (const std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 40u, 90u, 200u}) {
        const std::string key(length, 'k');
        const std::string plain(length, 'v');
        std::vector<std::string> values = {plain, plain + "\n"};
        if (length > 0) {
            values.push_back("\"" + std::string(length - 1, 'v'));
            values.push_back(std::string(length - 1, 'v') + "\xc3");
        }
        for (const std::string& value : values) {
            line.Clear();
            line.Append("{");
            line.AppendMember(", ", key, value);
            line.AppendMember(", ", value, key);
            std::string expected = "{";
            for (const auto& [first, second] : {std::pair(key, value), std::pair(value, key)}) {
                expected += ", ";
                host::AppendJsonString(first, expected);
                expected += ": ";
                host::AppendJsonString(second, expected);
            }
            EXPECT_EQ(expected, line.Text()) << length << ' ' << value;
        }
    }
}

} // namespace
