// Opening a list window over a box of 10,000 messages, offscreen, against
// the store's own floor in one run:
//   open   the first build of a list window: child frame, view, model and
//          rows, the messages loaded, the default order applied, the column
//          widths fitted, one pending event dispatched per row as the
//          program does;
//   floor  CFileMng::LoadFolderRecords of the same folder.
// Then the 10,000 rows sorted by a column through a header click (model
// reset and selection carried over included), and the memory the open list
// holds. Prints medians, the ratio open/floor (target at most 2.0), the sort
// time (target under 50 ms) and the resident memory (goal under 60 MB).
#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "lists/ui/CChildFrame.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListHost.h"
#include "lists/ui/ListWindows.h"
#include "platform/ui/QtPorts.h"
#include "store/CFileMng.h"

using namespace plova;
using namespace plova::ui;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kMessages = 10'000;
constexpr int kRounds = 5;
constexpr int kSortColumn = 6;  // "相手名称"

// The main window as far as a list needs one.
class BenchHost final : public ListHost {
public:
    explicit BenchHost(std::u16string root) : root_(std::move(root)) {
        disp_[0] = u"留守録BOX：0012";
        names_[0] = u"f";
        area_.resize(1000, 700);
        area_.show();
    }
    ListSlotTable Slots() override { return {disp_, names_, num_}; }
    [[nodiscard]] std::u16string RootFolder() const override { return root_; }
    [[nodiscard]] std::vector<std::u16string> BoxColumns() const override {
        return {u"ﾌﾗｸﾞ",     u"取込",     u"再生/未再生", u"保護/非保護", u"BOX番号",
                u"相手番号", u"相手名称", u"日時",        u"録音時間",    u"ファイル名"};
    }
    [[nodiscard]] QMdiArea* ListArea() const override { return const_cast<QMdiArea*>(&area_); }
    QWidget* DialogParent() override { return &area_; }
    int RunListDialog(QDialog& d) override { return d.exec(); }
    [[nodiscard]] std::u16string FolderDisplayText() const override { return {}; }
    void SetBoxDisplayText(const std::u16string&) override {}
    [[nodiscard]] bool MaximisedChildren() const override { return true; }
    void SetMaximisedChildren(bool) override {}
    void PublishListFlags(const CommandFlags&) override {}
    void RefreshStatusBar(bool) override {}
    void AllListsClosed() override {}
    void SetListBusy(bool) override {}
    bool BackupAbandonsListWork() override { return false; }
    void RunListCommand(int) override {}
    void ShowRowMenu(const QPoint&) override {}
    bool RunRowCommand(int) override { return false; }
    int num_ = 0;

private:
    std::u16string root_;
    SlotTexts disp_, names_;
    QMdiArea area_;
};

double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtPorts qtPorts;

    testkit::TempFolder root("bench-list");
    testkit::BoxFolderBuilder folder(root.Path(), "f");
    std::printf("writing %d messages...\n", kMessages);
    for (int i = 0; i < kMessages; ++i) {
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "202612%02d%02d%02d", 1 + i / 1440 % 28, i / 60 % 24, i % 60);
        const bool infoOnly = i % 4 == 0;
        char party[16];
        std::snprintf(party, sizeof party, "p%05d", (i * 7919) % kMessages);
        folder.Add("rusuroku", "0012", stamp, infoOnly ? "vminf" : "vmdat", infoOnly ? kInfoOnly : kUnplayedOnMainUnit,
                   FromUtf8(party));
    }
    const fs::path box = folder.Folder() / "rusuroku" / "0012";

    BenchHost host(FromUtf8(root.Path().string()));
    ListWindows windows(host);
    std::vector<double> open, floor, sort;
    double listMemory = 0, residentOpen = 0;
    int rows = 0;
    for (int round = 0; round < kRounds; ++round) {
        floor.push_back(Seconds([&] {
            std::vector<FILESTS_INFO> records;
            CFileMng::LoadFolderRecords(box, records);
        }));
        QCoreApplication::processEvents();
        const double residentBefore = bench::ResidentMegabytes();
        CChildFrame* frame = nullptr;
        open.push_back(Seconds([&] {
            host.num_ = 1;
            frame = windows.OpenWindow(1);
        }));
        residentOpen = bench::ResidentMegabytes();
        // The first round asks the system for the memory; later ones reuse it.
        listMemory = std::max(listMemory, residentOpen - residentBefore);
        rows = frame->View()->Data().RowCount();
        CDataListCtrl* list = frame->View()->List();
        list->selectRow(rows / 2);
        sort.push_back(Seconds([&] { emit list->HeaderClicked(kSortColumn); }));
        delete frame;
        QCoreApplication::processEvents();
    }
    if (rows != kMessages) {
        std::fprintf(stderr, "the list showed %d of %d messages\n", rows, kMessages);
        return 1;
    }
    const double o = Median(open), f = Median(floor), s = Median(sort);
    std::printf("%d messages in one box, median of %d rounds (warm cache, offscreen)\n", kMessages, kRounds);
    std::printf("  open the list window      %8.1f ms\n", o * 1e3);
    std::printf("  LoadFolderRecords         %8.1f ms\n", f * 1e3);
    std::printf("  ratio open/floor  %.2f  (target <= 2.00) %s\n", o / f, o / f <= 2.0 ? "met" : "MISSED");
    std::printf("  sort by a column          %8.1f ms  (target < 50) %s\n", s * 1e3, s < 0.050 ? "met" : "MISSED");
    std::printf("  memory of the open list   %8.1f MB  (resident %0.1f MB, peak %0.1f MB; goal < 60) %s\n\n",
                listMemory, residentOpen, peakMegabytes(), listMemory < 60 ? "met" : "MISSED");
    return 0;
}
