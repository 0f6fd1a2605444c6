// The list definition text and the table of open lists.
#include <gtest/gtest.h>

#include "lists/ListDefinition.h"
#include "lists/ListSlots.h"

namespace plova {
namespace {

TEST(ListDefinition, WritesTheGroupsAndReadsThemBack) {
    struct Case {
        BoxSelection boxes;
        std::u16string text;
    };
    const Case cases[] = {
        {{{u"001", u"002"}, {u"201"}}, u"留守録BOX：001,002,  内線BOX：201"},
        {{{u"001"}, {}}, u"留守録BOX：001"},
        // Extension boxes alone: no blanks in front of the label.
        {{{}, {u"201", u"202"}}, u"内線BOX：201,202"},
        // A comma inside a folder name is stored as "?".
        {{{u"営業,1"}, {u"a,b,c"}}, u"留守録BOX：営業?1,  内線BOX：a?b?c"},
        {{{u"ＢＯＸ"}, {}}, u"留守録BOX：ＢＯＸ"},
        {{}, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildDefinition(c.boxes), c.text);
        EXPECT_EQ(ReadDefinition(c.text), c.boxes);
    }
}

TEST(ListDefinition, ReadsStoredTextsAsTheyWereWritten) {
    struct Case {
        std::u16string text;
        BoxSelection boxes;
    };
    const Case cases[] = {
        // Either colon ends a label.
        {u"留守録BOX:001,002,  内線BOX:201", {{u"001", u"002"}, {u"201"}}},
        // The ASCII colon is looked for first, so a text that mixes the two
        // reads from its ASCII label on, as it always has.
        {u"留守録BOX：001,  内線BOX:201", {{}, {u"201"}}},
        // Nothing that looks like a label: no boxes, nothing breaks.
        {u"garbage", {}},
        {u"：", {}},
        {u"内線BOX：", {}},
        {u"留守録BOX", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadDefinition(c.text), c.boxes);
}

TEST(ListDefinition, KindIsTheResponseListOnlyForItsExactText) {
    EXPECT_EQ(ListKindOf(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ"), 2);
    EXPECT_EQ(ListKindOf(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ "), 1);
    EXPECT_EQ(ListKindOf(u"システム応答メッセージ"), 1);
    EXPECT_EQ(ListKindOf(u"留守録BOX：001"), 1);
}

struct Slots {
    SlotTexts disp, names;
    int num = 0;
    ListSlotTable table{disp, names, num};
    void Open(const std::u16string& definition, const std::u16string& folder = u"f") {
        disp[num] = definition;
        names[num] = folder;
        ++num;
    }
};

TEST(ListSlots, StoresANewListInTheNextSlotUpToFour) {
    Slots s;
    const BoxSelection one{{u"001"}, {}};
    EXPECT_EQ(StoreNewList(s.table, false, {}, u"f"), StoreResult::NothingSelected);
    EXPECT_EQ(s.disp[0], u"");
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(StoreNewList(s.table, i == 3, BoxSelection{{std::u16string(1, u'1' + i)}, {}}, u"f"),
                  StoreResult::Stored);
        ++s.num;  // the window that opens raises the count
    }
    EXPECT_EQ(s.disp[3], u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    EXPECT_EQ(s.names[3], u"f");
    const SlotTexts before = s.disp;
    EXPECT_EQ(StoreNewList(s.table, false, one, u"f"), StoreResult::LimitReached);
    EXPECT_EQ(s.disp, before);
    // A NUM beyond four from a hand-edited file is still the limit.
    s.num = 9;
    EXPECT_EQ(StoreNewList(s.table, false, one, u"f"), StoreResult::LimitReached);
}

TEST(ListSlots, ClosingAListMovesTheLaterOnesDown) {
    struct Case {
        int open;
        int closed;
        std::array<std::u16string, 4> after;
    };
    const Case cases[] = {
        {3, 2, {u"A", u"C", u"", u""}},  {3, 1, {u"B", u"C", u"", u""}}, {3, 3, {u"A", u"B", u"", u""}},
        {4, 1, {u"B", u"C", u"D", u""}}, {1, 1, {u"", u"", u"", u""}},
    };
    for (const Case& c : cases) {
        Slots s;
        for (int i = 0; i < c.open; ++i) s.Open(std::u16string(1, u'A' + i), std::u16string(1, u'a' + i));
        ReleaseSlot(s.table, c.closed);
        EXPECT_EQ(s.num, c.open - 1);
        EXPECT_EQ(s.disp, c.after) << c.open << " " << c.closed;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(s.names[i].empty(), s.disp[i].empty()) << "folder names move with their lists";
    }
    Slots none;
    ReleaseSlot(none.table, 1);
    EXPECT_EQ(none.num, 0);
}

TEST(ListSlots, ShownBoxesAreThoseOfOpenListsOfTheSameFolder) {
    Slots s;
    s.Open(u"留守録BOX：001,002,  内線BOX：201", u"f");
    s.Open(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ", u"f");
    s.Open(u"留守録BOX：003", u"g");
    s.Open(u"内線BOX：20?9", u"f");
    EXPECT_EQ(s.table.ShownBoxes(u"f"), (BoxSelection{{u"001", u"002"}, {u"201", u"20,9"}}));
    EXPECT_EQ(s.table.ShownBoxes(u"g"), (BoxSelection{{u"003"}, {}}));
    EXPECT_TRUE(s.table.ResponseListOpen());
    s.num = 1;
    EXPECT_FALSE(s.table.ResponseListOpen());
    s.num = 4;
    EXPECT_EQ(s.table.KindOf(2), 2);
    EXPECT_EQ(s.table.KindOf(0), 1);  // slot 1
}

TEST(ListSlots, OpenListsOfTheFolderFollowRenamedBoxes) {
    Slots s;
    s.Open(u"留守録BOX：001,002,  内線BOX：001", u"f");
    s.Open(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ", u"f");
    s.Open(u"留守録BOX：001", u"g");  // another box folder's box of the same name
    s.Open(u"内線BOX：201", u"f");
    s.num = 3;  // slot 4 is not open
    const std::vector<BoxRename> renames{
        {true, u"001", u"002"},  // all at once: 002 does not go on to 営業,1
        {true, u"002", u"営業,1"},
        {false, u"201", u"299"},
    };
    EXPECT_EQ(FollowBoxRenames(s.table, u"f", renames), std::vector<int>{1});
    EXPECT_EQ(s.disp[0], u"留守録BOX：002,営業?1,  内線BOX：001") << "the extension box 001 is another box";
    EXPECT_EQ(s.disp[1], u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    EXPECT_EQ(s.disp[2], u"留守録BOX：001");
    EXPECT_EQ(s.disp[3], u"内線BOX：201");
    EXPECT_TRUE(FollowBoxRenames(s.table, u"f", {{true, u"009", u"010"}}).empty());
}

}  // namespace
}  // namespace plova
