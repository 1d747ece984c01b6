// TextTypesTest.cpp - CString, CStringList and CMapStringToString at the edges the host protocol uses.
#include "platform/CMapStringToString.h"
#include "platform/CString.h"
#include "platform/CStringList.h"

#include "platform/MapEntries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform_test::Entries;
using platform_test::MapEntries;

std::vector<std::string> Entries(const CStringList& list) {
    std::vector<std::string> result;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        result.push_back(list.GetNext(pos).str());
    }
    return result;
}

TEST(CStringTest, NullTextReadsAsEmpty) {
    CString text(static_cast<const char*>(nullptr));
    EXPECT_TRUE(text.IsEmpty());
    text = "abc";
    text = static_cast<const char*>(nullptr);
    EXPECT_EQ("", text.str());
}

TEST(CStringTest, AppendsCharactersTextsAndStrings) {
    CString text("Get");
    text += ' ';
    text += "Planet";
    text += CString(" #17");
    EXPECT_EQ("Get Planet #17", text.str());
    EXPECT_EQ(14, text.GetLength());
}

TEST(CStringTest, FormatReplacesTheContent) {
    CString text("old content that is longer than the new");
    text.Format("%d #%d 1", 7, 12);
    EXPECT_EQ("7 #12 1", text.str());
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringTest, FormatOfALongTextIsNotCut) {
    const std::string longName(5000, 'x');
    CString text;
    text.Format("Get Race %s", longName.c_str());
    EXPECT_EQ("Get Race " + longName, text.str());
}

TEST(CStringTest, TrimLeftRemovesLeadingWhiteSpaceOnly) {
    CString digits(" \t 42 ");
    digits.TrimLeft();
    EXPECT_EQ("42 ", digits.str());
    CString blanks("   ");
    blanks.TrimLeft();
    EXPECT_TRUE(blanks.IsEmpty());
}

TEST(CStringTest, SetAtOutsideTheTextChangesNothing) {
    CString text("#12");
    text.SetAt(0, ' ');
    EXPECT_EQ(" 12", text.str());
    text.SetAt(3, 'x');
    text.SetAt(-1, 'x');
    EXPECT_EQ(" 12", text.str());
    EXPECT_EQ('\0', text.GetAt(3));
}

TEST(CStringTest, ComparisonIsExactBytes) {
    EXPECT_TRUE(CString("In orbit") == "In orbit");
    EXPECT_FALSE(CString("In orbit") == "in orbit");
    EXPECT_FALSE(CString("In orbit ") == "In orbit");
    EXPECT_TRUE(CString("") == static_cast<const char*>(nullptr));
}

TEST(CStringListTest, WalksHeadToTailInInsertionOrder) {
    CStringList list(10);
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    list.AddTail("SendGroup");
    list.AddTail("7 #12 1");
    list.AddTail("");
    EXPECT_EQ(3, list.GetCount());
    EXPECT_EQ((std::vector<std::string>{"SendGroup", "7 #12 1", ""}), Entries(list));
    EXPECT_EQ("SendGroup", list.GetHead().str());
}

TEST(CStringListTest, RemoveAllEmptiesAndTheListCanBeRefilled) {
    CStringList list;
    list.AddTail("a");
    list.AddTail("b");
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    list.AddTail("c");
    EXPECT_EQ((std::vector<std::string>{"c"}), Entries(list));
}

TEST(CMapStringToStringTest, IndexingAnAbsentKeyInsertsAnEmptyValue) {
    CMapStringToString map(10);
    EXPECT_TRUE(map["Count"].IsEmpty());
    EXPECT_EQ(1, map.GetCount());
    CString value("unchanged");
    EXPECT_TRUE(map.Lookup("Count", value));
    EXPECT_TRUE(value.IsEmpty());
}

TEST(CMapStringToStringTest, LookupNeverInserts) {
    CMapStringToString map;
    CString value("unchanged");
    EXPECT_FALSE(map.Lookup("Command", value));
    EXPECT_EQ("unchanged", value.str());
    EXPECT_EQ(0, map.GetCount());
}

TEST(CMapStringToStringTest, IndexingReplacesAndKeepsOtherEntries) {
    CMapStringToString map;
    map["Name"] = "old";
    map["Other"] = "kept";
    map["Name"] = "new";
    EXPECT_EQ(2, map.GetCount());
    EXPECT_EQ("new", map["Name"].str());
    EXPECT_EQ("kept", map["Other"].str());
}

TEST(CMapStringToStringTest, WalkVisitsEveryEntryOnce) {
    CMapStringToString map;
    map["b"] = "2";
    map["a"] = "1";
    map["c"] = "3";
    // The walk's order is the map's own: compare as an ordinary map.
    EXPECT_EQ((MapEntries{{"a", "1"}, {"b", "2"}, {"c", "3"}}), Entries(map));
}

// Removing an entry from the front, the middle or the back of the map's own order
// leaves a walk that visits every other entry once, also after more are added.
TEST(CMapStringToStringTest, WalkSkipsRemovedEntriesWhereverTheySit) {
    for (const char* removed : {"a", "c", "e"}) {
        CMapStringToString map;
        MapEntries expected;
        for (const char* key : {"a", "b", "c", "d", "e"}) {
            map[key] = key;
            expected[key] = key;
        }
        ASSERT_TRUE(map.RemoveKey(removed));
        expected.erase(removed);
        EXPECT_EQ(expected, Entries(map)) << removed;
        map["f"] = "f";
        expected["f"] = "f";
        EXPECT_EQ(expected, Entries(map)) << removed;
    }
}

// Keys of every length up to past two words, differing in any one byte, stay apart: the
// hash and the comparison between them must tell every byte position. (A comparison fault
// alone needs keys that also hash alike: KeysOfEqualHashStayApart.)
TEST(CMapStringToStringTest, KeysDifferingInOneByteStayApart) {
    for (std::size_t size = 1; size <= 20; ++size) {
        const std::string plain(size, 'x');
        CMapStringToString map;
        map[plain.c_str()] = "plain";
        for (std::size_t at = 0; at < size; ++at) {
            std::string changed = plain;
            changed[at] = 'y';
            map[changed.c_str()] = std::to_string(at).c_str();
        }
        EXPECT_EQ(static_cast<int>(size) + 1, map.GetCount()) << size;
        EXPECT_EQ("plain", map[plain.c_str()].str()) << size;
        for (std::size_t at = 0; at < size; ++at) {
            std::string changed = plain;
            changed[at] = 'y';
            EXPECT_EQ(std::to_string(at), map[changed.c_str()].str()) << size << " " << at;
        }
    }
}

TEST(CMapStringToStringTest, RemoveKeyAndRemoveAll) {
    CMapStringToString map;
    map["a"] = "1";
    map["b"] = "2";
    EXPECT_TRUE(map.RemoveKey("a"));
    EXPECT_FALSE(map.RemoveKey("a"));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

// The map reuses emptied entries and grows its table as it fills; every size below
// crosses a different edge: empty, one, the first table's size and one past it, and
// several doublings. Each round fills, reads back, removes every other key, then
// empties and refills with other keys, which must come back empty, with nothing left
// of the round before.
class CMapStringToStringReuseTest : public ::testing::Test {
protected:
    static std::string KeyOf(const char* prefix, int index) {
        return prefix + std::to_string(index);
    }

    static void Fill(CMapStringToString& map, const char* prefix, int size, MapEntries& expected) {
        for (int i = 1; i <= size; ++i) {
            const std::string key = KeyOf(prefix, i);
            map[key.c_str()] = std::to_string(i * 7).c_str();
            expected[key] = std::to_string(i * 7);
        }
    }
};

TEST_F(CMapStringToStringReuseTest, EntriesSurviveGrowthRemovalAndRefilling) {
    for (const int size : {0, 1, 63, 64, 65, 1000, 5000}) {
        CMapStringToString map;
        for (const char* prefix : {"Planet.", "Angle.", "Planet."}) {
            map.RemoveAll();
            MapEntries expected;
            for (int i = 1; i <= size; ++i) {
                EXPECT_TRUE(map[KeyOf(prefix, i).c_str()].IsEmpty()) << "a reused entry keeps no value";
            }
            Fill(map, prefix, size, expected);
            ASSERT_EQ(expected, Entries(map)) << size << " " << prefix;
            for (int i = 1; i <= size; i += 2) {
                ASSERT_TRUE(map.RemoveKey(KeyOf(prefix, i).c_str())) << size << " " << i;
                expected.erase(KeyOf(prefix, i));
            }
            EXPECT_EQ(static_cast<int>(expected.size()), map.GetCount()) << size;
            EXPECT_EQ(expected, Entries(map)) << size << " " << prefix;
        }
    }
}

TEST_F(CMapStringToStringReuseTest, ReferencesStayValidWhileTheTableGrows) {
    CMapStringToString map;
    CString& first = map["Count"];
    first = "12";
    MapEntries expected{{"Count", "12"}};
    Fill(map, "Planet.", 3000, expected);
    EXPECT_EQ("12", first.str());
    EXPECT_EQ(&first, &map["Count"]);
}

TEST_F(CMapStringToStringReuseTest, KeysOfEqualHashStayApart) {
    // Each pair hashes alike: only their texts tell them apart, by their lengths in the
    // first pair and by their last eight bytes in the second.
    const std::pair<const char*, const char*> pairs[] = {{"Planet.4487", "Planet.80395"},
                                                         {"Planet.149948", "Planet.187406"}};
    for (const auto& [a, b] : pairs) {
        CMapStringToString map;
        map[a] = "a";
        map[b] = "b";
        EXPECT_EQ((MapEntries{{a, "a"}, {b, "b"}}), Entries(map));
        EXPECT_TRUE(map.RemoveKey(a));
        CString value;
        EXPECT_FALSE(map.Lookup(a, value)) << a;
        ASSERT_TRUE(map.Lookup(b, value)) << b;
        EXPECT_EQ("b", value.str());
    }
}

} // namespace
