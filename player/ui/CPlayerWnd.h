// The built-in player's window: one, modeless, reused by every play. The
// message's box, party, date and title; its waveform, which is also the seek
// bar; play and pause, five seconds back and on, start and end, the speed,
// the volume, the time, and the previous and next message of the list it was
// started from.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "player/PlayerSession.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace plova::ui {

class WaveformView;

// What the window says of the message.
struct PlayerTexts {
    std::u16string box;
    std::u16string party;
    std::u16string date;
    std::u16string title;
};

class CPlayerWnd final : public QWidget {
    Q_OBJECT
public:
    explicit CPlayerWnd(player::SoundSink& sink, QWidget* parent = nullptr);
    ~CPlayerWnd() override;

    // Shows the window with `wav` at `speed` and `volume`, playing when a
    // device takes the sound.
    player::Opened Play(const std::filesystem::path& wav, const PlayerTexts& texts, int speed, int volume);

    // 前へ (-1) and 次へ (+1): the list plays its neighbouring row.
    std::function<void(int step)> onNeighbour;
    // The speed or the volume changed: to be remembered.
    std::function<void(int speed, int volume)> onPreferences;

    [[nodiscard]] player::PlayerSession& Session() { return session_; }
    [[nodiscard]] WaveformView* Waveform() const { return waveform_; }
    [[nodiscard]] QLabel* TimeLabel() const { return time_; }
    [[nodiscard]] QComboBox* SpeedBox() const { return speed_; }
    [[nodiscard]] QPushButton* PlayButton() const { return play_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void act(player::Action action);
    void showState();
    void preferencesChanged();

    player::PlayerSession session_;
    QLabel* box_ = nullptr;
    QLabel* party_ = nullptr;
    QLabel* date_ = nullptr;
    QLabel* title_ = nullptr;
    WaveformView* waveform_ = nullptr;
    QLabel* time_ = nullptr;
    QPushButton* play_ = nullptr;
    QComboBox* speed_ = nullptr;
    QSlider* volume_ = nullptr;
    QTimer* timer_ = nullptr;
    bool placed_ = false;  // shown once: from then on it stays where the user put it
};

}  // namespace plova::ui
