// The encoder worker: turns the user's audio file into bare coded speech
// (G.729 Annex A frames, 10 bytes per 10 ms) on a thread of its own. It first
// has the media conversion write an intermediate 8 kHz 16-bit mono WAV file,
// checks it, applies the level and encodes it 0.2 s at a time, appending the
// frames to the output file. The caller polls a status byte meanwhile.
//
// There is one encoder per process (the codec state is one instance) and one
// encoding at a time. Caller and worker share only single bytes: the status
// (written by the worker) and the start and stop requests.
#pragma once

#include <cstdint>
#include <filesystem>

#include "audio/WorkerControl.h"

namespace plova {

namespace encoder {
// Status values.
constexpr std::uint8_t kIdle = worker::kIdle;                        // no worker
constexpr std::uint8_t kWaitingForStart = worker::kWaitingForStart;  // worker running, start request not yet taken
constexpr std::uint8_t kConverting = 49;                             // media conversion into the intermediate file
constexpr std::uint8_t kEncoding = 48;                               // encoding blocks
constexpr std::uint8_t kFinished = worker::kFinished;                // all coded speech written
constexpr std::uint8_t kFailed = worker::kFailed;                    // how EncodePoll reports any of 0x50..0x5F
constexpr std::uint8_t kConversionFailed = 82;                       // the media conversion cannot start, or failed
constexpr std::uint8_t kWrongFormat = 83;                            // intermediate file not 8 kHz 16-bit mono PCM
constexpr std::uint8_t kReadFailed = 84;                             // reading the intermediate file failed
constexpr std::uint8_t kCannotOpenIntermediate = 85;
constexpr std::uint8_t kCannotOpenOutput = 86;
constexpr std::uint8_t kWriteFailed = 90;
constexpr std::uint8_t kAborted = worker::kAborted;  // EncodeAbort stopped a worker
constexpr std::uint8_t kRunningFirst = 0x30;         // EncodePoll reports 0x30..0x3F as 48
constexpr std::uint8_t kRunningLast = 0x3F;

// EncodeStart results.
constexpr int kStarted = 0;
constexpr int kBusy = -1;
constexpr int kCannotOpenFiles = -2;
constexpr int kNoDuration = -3;
constexpr int kTooLong = -4;
constexpr int kNoThread = -5;

// PCM is encoded 1600 samples (0.2 s, 20 frames) at a time.
constexpr std::size_t kBlockSamples = 1600;
// Each block's frames are written in whole 4-byte units: an odd number of
// frames ends with 2 zero bytes.
constexpr std::size_t kWriteUnit = 4;
}  // namespace encoder

// Starts encoding `input` into `output` with a gain of `level` decibels. The
// output is created empty at once (an existing file is truncated). The
// input's playing time, measured by the duration probe, must not exceed
// `maxSeconds` (equal passes). encoder::kStarted, kBusy, kCannotOpenFiles,
// kNoDuration, kTooLong or kNoThread. `intermediate` names the intermediate
// WAV file, which must not exist yet; empty means a new name of its own in
// the per-user scratch folder (NewIntermediatePath).
int EncodeStart(const std::filesystem::path& input, const std::filesystem::path& output, std::int8_t level,
                double maxSeconds, const std::filesystem::path& intermediate = {});

// The status, with 0x30..0x3F reported as 48 and 0x50..0x5F as 80. On 64 or
// 80 the worker is stopped and waited for, and the encoder is idle again.
std::uint8_t EncodePoll();

// Stops a worker that has taken its start (status other than 16 and 32),
// waits for it and gives 96; otherwise gives the status unchanged.
std::uint8_t EncodeAbort();

// The status byte as it stands.
std::uint8_t EncodeStatus();

// A fresh, unguessable name for an intermediate WAV file in the per-user
// scratch folder, nothing under it yet; empty when there is no such folder.
// The conversion creates the file exclusively, so nothing someone left
// there in advance (a pipe, a link) is ever opened.
std::filesystem::path NewIntermediatePath();

}  // namespace plova
