// A move/copy window for tests and benchmarks: it records the bar and the
// overwrite questions, answers them from a queue, and raises the cancel
// request or the backup break when a test asks.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "store/MessageTransfer.h"

namespace plova::testkit {

class RecordingTransferWindow final : public TransferWindow {
public:
    void Open(transfer::Mode mode, int r) override {
        opened = true;
        openedMode = mode;
        range = r;
    }
    void SetBar(int position) override {
        bar.push_back(position);
        if (position == cancelAtBar) cancel = true;
    }
    OverwriteChoice AskOverwrite(const std::u16string& fileName) override {
        asked.push_back(fileName);
        if (answers.empty()) return OverwriteChoice::No;
        const OverwriteChoice a = answers.front();
        answers.pop_front();
        return a;
    }
    bool CancelRequested() override { return cancel; }
    bool BackupBreak() override { return backupDue; }
    void Close() override { closed = true; }

    std::deque<OverwriteChoice> answers;
    bool cancel = false;
    bool backupDue = false;
    int cancelAtBar = -1;  // the Cancel button is pressed when the bar reaches this

    bool opened = false;
    bool closed = false;
    transfer::Mode openedMode = transfer::Mode::Copy;
    int range = 0;
    std::vector<int> bar;
    std::vector<std::u16string> asked;
};

}  // namespace plova::testkit
