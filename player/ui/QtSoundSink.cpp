#include "player/ui/QtSoundSink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace plova::ui {

// The device's side of the player: each read is what the player renders next.
class QtSoundSink::Pull final : public QIODevice {
public:
    explicit Pull(Source source) : source_(std::move(source)) { open(QIODevice::ReadOnly); }
    [[nodiscard]] bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const auto samples = static_cast<std::size_t>(maxSize / 2);
        if (samples == 0 || !source_) return 0;
        return static_cast<qint64>(source_(std::span(reinterpret_cast<std::int16_t*>(data), samples))) * 2;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    Source source_;
};

QtSoundSink::QtSoundSink() = default;

QtSoundSink::~QtSoundSink() {
    Stop();
}

bool QtSoundSink::Start(std::uint32_t rate, Source source) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(rate));
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    sink_ = std::make_unique<QAudioSink>(device, format);
    pull_ = std::make_unique<Pull>(std::move(source));
    sink_->start(pull_.get());
    if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
        Stop();
        return false;
    }
    return true;
}

void QtSoundSink::Pause() {
    if (sink_) sink_->suspend();
}

void QtSoundSink::Resume() {
    if (sink_) sink_->resume();
}

void QtSoundSink::Stop() {
    if (sink_) sink_->stop();
    sink_.reset();
    pull_.reset();
}

}  // namespace plova::ui
