// The decoder worker: turns a file of bare coded speech (G.729 Annex A frames,
// 10 bytes per 10 ms) into an 8 kHz 16-bit mono WAV file on a thread of its
// own, while the caller polls a status byte and keeps its window live.
//
// There is one decoder per process and one decoding at a time. The caller and
// the worker share only single bytes: the status (written by the worker) and
// the start and stop requests (set by the caller, cleared by the worker).
#pragma once

#include <cstdint>
#include <filesystem>

#include "audio/WorkerControl.h"

namespace plova {

namespace decoder {
// Status values.
constexpr std::uint8_t kIdle = worker::kIdle;                        // no worker
constexpr std::uint8_t kWaitingForStart = worker::kWaitingForStart;  // worker running, start request not yet taken
constexpr std::uint8_t kDecoding = 48;
constexpr std::uint8_t kFinished = worker::kFinished;  // the WAV file is complete
constexpr std::uint8_t kFailed = worker::kFailed;      // how DecodePoll reports any of 0x50..0x5F
constexpr std::uint8_t kCannotReadInput = 91;          // the input cannot be opened (or read)
constexpr std::uint8_t kBadLength = 92;                // a final partial block holds no whole frame
constexpr std::uint8_t kWriteFailed = 95;              // writing the WAV file failed
constexpr std::uint8_t kAborted = worker::kAborted;    // DecodeAbort stopped a worker

// DecodeStart results.
constexpr int kStarted = 0;
constexpr int kBusy = -1;
constexpr int kCannotOpenFiles = -2;
constexpr int kNoThread = -5;

// Coded speech is read in blocks of 40 frames (0.4 s).
constexpr std::size_t kBlockBytes = 400;
constexpr std::size_t kReadUnit = 4;
}  // namespace decoder

// Starts decoding `input` into the WAV file `output` with a gain of `level`
// decibels. The output is created empty at once (an existing regular file is
// emptied; a link, a pipe or a file with a second name is refused).
// decoder::kStarted, kBusy when a decoding is already under way,
// kCannotOpenFiles when the input cannot be read or the output cannot be
// created, kNoThread when the worker cannot be started.
int DecodeStart(const std::filesystem::path& input, const std::filesystem::path& output, std::int8_t level);

// The status: 32 and 48 while running; 64 when the WAV file is complete and 80
// for any failure, in both of which cases the worker has been stopped and
// waited for, and the decoder is idle (16) again.
std::uint8_t DecodePoll();

// Stops a worker that has taken its start (status other than 16 and 32),
// waits for it and gives 96; otherwise gives the status unchanged.
std::uint8_t DecodeAbort();

// The status byte as it stands, without reporting or stopping anything.
std::uint8_t DecodeStatus();

}  // namespace plova
