// TextTypesTest.cpp - CString, CStringList and CMapStringToString at the edges the host protocol uses.
#include "platform/CMapStringToString.h"
#include "platform/CString.h"
#include "platform/CStringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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

TEST(CMapStringToStringTest, WalkVisitsEveryEntryInKeyOrder) {
    CMapStringToString map;
    map["b"] = "2";
    map["a"] = "1";
    map["c"] = "3";
    std::string walked;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        CString key;
        CString value;
        map.GetNextAssoc(pos, key, value);
        walked += key.str() + "=" + value.str() + ";";
    }
    EXPECT_EQ("a=1;b=2;c=3;", walked);
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

} // namespace
