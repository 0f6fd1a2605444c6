#include "player/ui/CPlayerWnd.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"
#include "player/ui/WaveformView.h"

namespace plova::ui {
namespace {
// How often the place and the time are shown again while playing.
constexpr int kRefreshMs = 40;

QString speedText(double speed) {
    return QString::number(speed, 'f', speed * 100 == static_cast<int>(speed * 10) * 10 ? 1 : 2) + Qs(u"倍");
}

QPushButton* button(std::u16string_view text, QWidget* parent) {
    auto* b = new QPushButton(Qs(text), parent);
    b->setFocusPolicy(Qt::NoFocus);  // the keys stay the window's
    b->setAutoDefault(false);
    return b;
}
}  // namespace

CPlayerWnd::CPlayerWnd(player::SoundSink& sink, QWidget* parent) : QWidget(parent, Qt::Window), session_(sink) {
    setWindowTitle(Qs(player::kCaption));
    box_ = new QLabel(this);
    party_ = new QLabel(this);
    date_ = new QLabel(this);
    title_ = new QLabel(this);
    for (QLabel* l : {box_, party_, date_, title_}) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* about = new QFormLayout;
    about->addRow(Qs(u"ボックス:"), box_);
    about->addRow(Qs(u"相手:"), party_);
    about->addRow(Qs(u"日時:"), date_);
    about->addRow(Qs(u"タイトル:"), title_);

    waveform_ = new WaveformView(this);
    waveform_->onSeek = [this](double share) {
        session_.SeekToShare(share);
        showState();
    };

    QPushButton* previous = button(u"前へ", this);
    QPushButton* start = button(u"先頭", this);
    QPushButton* back = button(u"5秒戻る", this);
    play_ = button(u"再生", this);
    QPushButton* forward = button(u"5秒進む", this);
    QPushButton* end = button(u"末尾", this);
    QPushButton* next = button(u"次へ", this);
    connect(previous, &QPushButton::clicked, this, [this] { act(player::Action::Previous); });
    connect(start, &QPushButton::clicked, this, [this] { act(player::Action::ToStart); });
    connect(back, &QPushButton::clicked, this, [this] { act(player::Action::Back); });
    connect(play_, &QPushButton::clicked, this, [this] { act(player::Action::TogglePlay); });
    connect(forward, &QPushButton::clicked, this, [this] { act(player::Action::Forward); });
    connect(end, &QPushButton::clicked, this, [this] { act(player::Action::ToEnd); });
    connect(next, &QPushButton::clicked, this, [this] { act(player::Action::Next); });
    auto* controls = new QHBoxLayout;
    for (QPushButton* b : {previous, start, back, play_, forward, end, next}) controls->addWidget(b);

    speed_ = new QComboBox(this);
    speed_->setFocusPolicy(Qt::NoFocus);
    for (double s : player::kSpeeds) speed_->addItem(speedText(s));
    connect(speed_, &QComboBox::activated, this, [this](int index) {
        session_.SetSpeed(index);
        preferencesChanged();
    });
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setFocusPolicy(Qt::NoFocus);
    volume_->setRange(0, player::kFullVolume);
    connect(volume_, &QSlider::valueChanged, this, [this](int v) {
        session_.SetVolume(v);
        preferencesChanged();
    });
    time_ = new QLabel(this);
    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel(Qs(u"速度:"), this));
    settings->addWidget(speed_);
    settings->addSpacing(12);
    settings->addWidget(new QLabel(Qs(u"音量:"), this));
    settings->addWidget(volume_, 1);
    settings->addSpacing(12);
    settings->addWidget(time_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(about);
    layout->addWidget(waveform_, 1);
    layout->addLayout(controls);
    layout->addLayout(settings);
    resize(560, 300);

    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, [this] { showState(); });
}

CPlayerWnd::~CPlayerWnd() {
    session_.Stop();
}

player::Opened CPlayerWnd::Play(const std::filesystem::path& wav, const PlayerTexts& texts, int speed, int volume) {
    const player::Opened opened = session_.Open(wav, speed, volume);
    if (opened == player::Opened::Unreadable) return opened;
    box_->setText(Qs(texts.box));
    party_->setText(Qs(texts.party));
    date_->setText(Qs(texts.date));
    title_->setText(Qs(texts.title));
    // The waveform is drawn once the sound has had its first turn.
    waveform_->SetClip(nullptr);
    QTimer::singleShot(0, this, [this] { waveform_->SetClip(session_.Sound()); });
    const player::PlayerSession::State s = session_.Now();
    speed_->setCurrentIndex(s.speed);
    {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(s.volume);
    }
    showState();
    timer_->start();
    if (!placed_ && parentWidget()) {
        // The first time over the middle of the main window.
        move(parentWidget()->geometry().center() - rect().center());
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    return opened;
}

void CPlayerWnd::act(player::Action action) {
    if (action == player::Action::Previous || action == player::Action::Next) {
        if (onNeighbour) onNeighbour(action == player::Action::Next ? 1 : -1);
        return;
    }
    session_.Do(action);
    if (action == player::Action::Slower || action == player::Action::Faster) {
        speed_->setCurrentIndex(session_.Now().speed);
        preferencesChanged();
    }
    showState();
}

void CPlayerWnd::showState() {
    const player::PlayerSession::State s = session_.Now();
    waveform_->SetPlace(s.length > 0 ? static_cast<double>(s.position) / static_cast<double>(s.length) : 0.0);
    time_->setText(Qs(player::TimeText(s.position, s.length, s.rate)));
    play_->setText(Qs(s.playing ? u"一時停止" : u"再生"));
}

void CPlayerWnd::preferencesChanged() {
    const player::PlayerSession::State s = session_.Now();
    if (onPreferences) onPreferences(s.speed, s.volume);
}

void CPlayerWnd::keyPressEvent(QKeyEvent* event) {
    static const std::pair<int, player::Action> keys[] = {
        {Qt::Key_Space, player::Action::TogglePlay}, {Qt::Key_Left, player::Action::Back},
        {Qt::Key_Right, player::Action::Forward},    {Qt::Key_Home, player::Action::ToStart},
        {Qt::Key_End, player::Action::ToEnd},        {Qt::Key_PageUp, player::Action::Previous},
        {Qt::Key_PageDown, player::Action::Next},
    };
    for (const auto& [key, action] : keys)
        if (event->key() == key) {
            act(action);
            return;
        }
    QWidget::keyPressEvent(event);
}

void CPlayerWnd::closeEvent(QCloseEvent* event) {
    session_.Stop();
    timer_->stop();
    event->accept();
}

}  // namespace plova::ui
