// What the Add and upload buttons take from the rows of the response list.
#include <gtest/gtest.h>

#include <filesystem>

#include "lists/ResponseRows.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "platform/Text.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

class ResponseRows : public ::testing::Test {
protected:
    ListData list(std::u16string_view definition) {
        ListData d;
        d.SetSource({FromUtf8(root.Path().string()) + u"/", u"f", std::u16string(definition)}, {});
        d.FullDisplay(false);
        return d;
    }
    testkit::TempFolder root{"response-rows"};
    testkit::BoxFolderBuilder box{root.Path(), "f"};
};

TEST_F(ResponseRows, TheAddTargetIsTheFirstSelectedRowsNumberAndFile) {
    const fs::path five = box.AddResponse(5);
    const fs::path last = box.AddResponse(300);
    box.Add("rusuroku", "0001", "202612010900");
    const ListData response = list(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    const ListData answering = list(u"留守録BOX：0001");

    struct Case {
        const ListData* data;
        std::vector<int> rows;
        int number;  // 0: no target
        fs::path existing;
    };
    const Case cases[] = {
        {&response, {}, 0, {}},
        {&response, {3}, 4, {}},
        // The first row in list order, whatever order the selection came in.
        {&response, {6, 4}, 5, five},
        {&response, {299}, 300, last},
        {&response, {-1, 300, 4}, 5, five},
        {&response, {-1, 300}, 0, {}},
        {&answering, {0}, 0, {}},
    };
    for (const Case& c : cases) {
        const auto target = ResponseAddTargetOf(*c.data, c.rows);
        SCOPED_TRACE(::testing::PrintToString(c.rows));
        ASSERT_EQ(target.has_value(), c.number != 0);
        if (!target) continue;
        EXPECT_EQ(target->number, c.number);
        EXPECT_EQ(target->existing, c.existing);
        EXPECT_EQ(target->boxFolder.lexically_normal(), box.Folder().lexically_normal());
    }
}

TEST_F(ResponseRows, ARowKeepsItsNumberInTheSelectDisplay) {
    box.AddResponse(5);
    const fs::path seven = box.AddResponse(7);
    box.AddResponse(300);
    ListData response = list(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    // The kept rows show, export and add to their own numbers, not their places.
    ASSERT_TRUE(response.SelectDisplay([](const FILESTS_INFO& r) { return !r.filePath.empty(); }, true));
    ASSERT_EQ(response.RowCount(), 3);
    EXPECT_EQ(response.Cell(0, 0), u"005");
    EXPECT_EQ(response.Cell(1, 0), u"007");
    EXPECT_EQ(response.Cell(2, 0), u"300");
    const auto target = ResponseAddTargetOf(response, {1});
    ASSERT_TRUE(target);
    EXPECT_EQ(target->number, 7);
    EXPECT_EQ(target->existing, seven);

    // An absent number kept by the select display shows its number too.
    ASSERT_TRUE(response.SelectDisplay([](const FILESTS_INFO& r) { return r.boxNumber == u"006"; }, true));
    ASSERT_EQ(response.RowCount(), 1);
    EXPECT_EQ(response.Cell(0, 0), u"006");
    EXPECT_EQ(ResponseAddTargetOf(response, {0})->number, 6);
}

TEST_F(ResponseRows, TheUploadTakesTheSelectedRecordsInListOrder) {
    const fs::path five = box.AddResponse(5);
    const fs::path seven = box.AddResponse(7);
    const ListData response = list(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    const std::vector<FILESTS_INFO> records = SelectedRecordsOf(response, {6, 5, 4, 4, 400});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Path(), five);
    EXPECT_TRUE(records[1].filePath.empty());  // number 6 has no message
    EXPECT_EQ(records[2].Path(), seven);
}

}  // namespace
}  // namespace plova
