#include "SettingsView.h"

#include "SettingsRules.h"
#include "SettingsSection.h"
#include "model/Settings.h"
#include "platform/Platform.h"
#include "theme/Backplate.h"
#include "theme/Effects.h"
#include "theme/LineLabel.h"
#include "theme/SettingsChip.h"
#include "theme/Shapes.h"
#include "theme/Text.h"
#include "theme/TextBlock.h"
#include "theme/Vortan.h"
#include "theme/VortanButtonStyle.h"
#include "theme/VortanSlider.h"
#include "theme/VortanToggleStyle.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <cmath>

namespace fray {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr double rowLabelSize = 11.5;
constexpr double statusSize = 9.5;
constexpr double statusLineSpacing = 2;
constexpr double chipKerning = 1;
constexpr int chipSpacing = 6;
const QSizeF positionChipSize{52, 19};
constexpr double monitorChipHeight = 20;

QFont rowLabelFont() {
    return Vortan::fontDemi(rowLabelSize);
}
QFont statusFont() {
    return Vortan::fontDemi(statusSize);
}
QColor rowLabelColor() {
    return QColor::fromRgbF(1, 1, 1, 0.88f);
}

// "OPTIONS" in a gold-to-orange gradient with a drop shadow, "FRAYMARK" on the right.
class HeaderRow : public QWidget {
  public:
    static constexpr double titleSize = 30;
    static constexpr double captionSize = 11;
    static constexpr double captionKerning = 2.4;

    explicit HeaderRow(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        QFontMetricsF fm(Vortan::font(titleSize));
        return {300, int(std::ceil(fm.height()))};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        QFont title = Vortan::font(titleSize);
        double baseline = height() / 2.0 + QFontMetricsF(title).capHeight() / 2;
        QPainterPath text = Text::shape("OPTIONS", title).path.translated(0, baseline);
        QRectF bounds = text.boundingRect();
        Effects::drawWithShadow(p, bounds.adjusted(-1, -1, 1, 1),
                                {QColor::fromRgbF(0, 0, 0, 0.75f), 5, {0, 2}}, [&](QPainter& lp) {
                                    QLinearGradient g(bounds.topLeft(), bounds.bottomLeft());
                                    g.setColorAt(0, Vortan::barPale());
                                    g.setColorAt(0.45, Vortan::barYellow());
                                    g.setColorAt(1, Vortan::barOrange());
                                    lp.setRenderHint(QPainter::Antialiasing, true);
                                    lp.fillPath(text, g);
                                });
        QFont caption = Vortan::kerned(Vortan::fontDemi(captionSize), captionKerning);
        VortanPaint::drawLine(p, QRectF(rect()).adjusted(0, 0, -2, 0), caption,
                              Vortan::withOpacity(Vortan::gold(), 0.85), "FRAYMARK", Qt::AlignRight);
    }
};

} // namespace

SettingsView::SettingsView(Settings& settings, Platform& platform, std::function<void()> onClose,
                           std::function<void()> onQuit, QWidget* parent)
    : QWidget(parent), settings_(settings), platform_(platform), onClose_(std::move(onClose)),
      onQuit_(std::move(onQuit)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedWidth(viewWidth);
    QSizePolicy sp(QSizePolicy::Fixed, QSizePolicy::Preferred);
    sp.setHeightForWidth(true);
    setSizePolicy(sp);

    // The login item is read when the view is shown, not here: the window may never
    // open, and an offscreen render must not depend on this machine's autostart entry.
    monitors_ = Displays::attached(platform_.displays->screens());
    build();
    syncFromSettings();
    syncLoginTexts();

    accessTimer_.setInterval(accessRefreshMs);
    connect(&accessTimer_, &QTimer::timeout, this, &SettingsView::refreshAccess);
    connect(&settings_, &Settings::changed, this, &SettingsView::syncFromSettings);
    displayWatch_ = platform_.displays->observeChanges([this] { refreshMonitors(); });

    // Escape closes whatever inside the window has focus, or when nothing has.
    auto* cancel = new QShortcut(QKeySequence::Cancel, this);
    cancel->setContext(Qt::WindowShortcut);
    connect(cancel, &QShortcut::activated, this, [this] {
        if (onClose_) onClose_();
    });
}

SettingsView::~SettingsView() = default;

void SettingsView::build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(itemSpacing);
    column->addWidget(buildHeader());
    column->addWidget(buildAnnouncer());
    column->addWidget(buildDisplay());
    column->addWidget(buildTiming());
    column->addWidget(buildSystem());
    column->addWidget(buildFooter());
}

QWidget* SettingsView::buildHeader() {
    return new HeaderRow(this);
}

namespace {
VortanToggle* toggle(const char* name, const QString& label, QWidget* parent,
                     std::function<void(bool)> write) {
    auto* t = new VortanToggle(label, parent);
    t->setObjectName(name);
    QObject::connect(t, &QAbstractButton::clicked, parent,
                     [write = std::move(write)](bool on) { write(on); });
    return t;
}
} // namespace

QWidget* SettingsView::buildAnnouncer() {
    auto* s = new SettingsSection("ANNOUNCER", this);
    soundNeedsAction_ = toggle("soundNeedsAction", "“YOUR MOVE!” ALERT SOUND", s,
                               [this](bool on) { settings_.setSoundNeedsAction(on); });
    soundKO_ = toggle("soundKO", "K.O. ALERT SOUND", s, [this](bool on) { settings_.setSoundKO(on); });
    notifyNeedsAction_ = toggle("notifyNeedsAction", "“YOUR MOVE!” NOTIFICATION", s,
                                [this](bool on) { settings_.setNotifyNeedsAction(on); });
    notifyCompleted_ = toggle("notifyCompleted", "K.O. NOTIFICATION AFTER LONG ROUNDS", s,
                              [this](bool on) { settings_.setNotifyCompleted(on); });
    s->addRow(soundNeedsAction_);
    s->addRow(soundKO_);
    s->addRow(notifyNeedsAction_);
    s->addRow(notifyCompleted_);
    return s;
}

QWidget* SettingsView::buildDisplay() {
    auto* s = new SettingsSection("DISPLAY", this);
    overlapMenuBar_ = toggle("overlapMenuBar", "SIT ON THE MENU BAR", s,
                             [this](bool on) { settings_.setOverlapMenuBar(on); });
    showOverFullscreen_ = toggle("showOverFullscreen", "SHOW OVER FULL-SCREEN APPS", s,
                                 [this](bool on) { settings_.setShowOverFullscreen(on); });
    showCompleted_ = toggle("showCompleted", "SHOW K.O.’D FIGHTERS", s,
                            [this](bool on) { settings_.setShowCompleted(on); });
    s->addRow(overlapMenuBar_);
    s->addRow(showOverFullscreen_);
    s->addRow(showCompleted_);

    auto* positionRow = new QHBoxLayout;
    positionRow->setSpacing(chipSpacing);
    positionLabel_ = new LineLabel("POSITION", rowLabelFont(), rowLabelColor(), s);
    positionLabel_->setObjectName("positionLabel");
    positionRow->addWidget(positionLabel_);
    positionRow->addStretch(1);
    for (IslandPosition p : allIslandPositions) {
        auto* chip = new SettingsChip(q(SettingsRules::positionChipText(p)), chipKerning, s);
        chip->setObjectName("positionChip");
        chip->setFixedChipSize(positionChipSize);
        connect(chip, &QAbstractButton::clicked, this, [this, p] {
            settings_.setCustomSpot(std::nullopt);
            settings_.setPosition(p);
        });
        positionChips_.push_back(chip);
        positionRow->addWidget(chip);
    }
    s->addLayout(positionRow);

    auto* monitorRow = new QVBoxLayout;
    monitorRow->setSpacing(chipSpacing);
    monitorRow->addWidget(new LineLabel("MONITOR", rowLabelFont(), rowLabelColor(), s));
    monitorColumn_ = new QVBoxLayout;
    monitorColumn_->setSpacing(4);
    monitorRow->addLayout(monitorColumn_);
    s->addLayout(monitorRow);
    return s;
}

QWidget* SettingsView::buildTiming() {
    auto* s = new SettingsSection("TIMING", this);
    auto* row = new QHBoxLayout;
    row->addWidget(new LineLabel("“YOUR MOVE!” DELAY", rowLabelFont(), rowLabelColor(), s));
    row->addStretch(1);
    delayValue_ = new LineLabel("", Vortan::font(13), Vortan::barYellow(), s);
    delayValue_->setObjectName("delayValue");
    row->addWidget(delayValue_);
    s->addLayout(row);

    delaySlider_ = new VortanSlider(SettingsRules::delayLower, SettingsRules::delayUpper, s);
    delaySlider_->setObjectName("delaySlider");
    delaySlider_->setAccessibleName("“YOUR MOVE!” DELAY");
    connect(delaySlider_, &VortanSlider::valueChanged, this,
            [this](double v) { settings_.setNeedsActionDelay(v); });
    s->addRow(delaySlider_);

    auto* help = new TextBlock(statusFont(), Vortan::dimText(), statusLineSpacing, s);
    help->setText(SettingsRules::helpText);
    s->addRow(help);
    return s;
}

QWidget* SettingsView::buildSystem() {
    auto* s = new SettingsSection("SYSTEM", this);
    login_ = toggle("loginItem", "ENTER THE ARENA AT LOGIN", s, [this](bool on) { setLoginEnabled(on); });
    s->addRow(login_);
    loginStatus_ = new TextBlock(statusFont(), Vortan::dimText(), statusLineSpacing, s);
    loginStatus_->setObjectName("loginStatus");
    s->addRow(loginStatus_);
    loginErrorText_ = new TextBlock(statusFont(), Vortan::rageRed(), statusLineSpacing, s);
    loginErrorText_->setObjectName("loginError");
    loginErrorText_->hide();
    s->addRow(loginErrorText_);

    preciseFocus_ = toggle("preciseFocus", "JUMP TO THE EXACT SESSION ON CLICK", s,
                           [this](bool on) { setPreciseFocus(on); });
    s->addRow(preciseFocus_);
    preciseStatus_ = new TextBlock(statusFont(), Vortan::dimText(), statusLineSpacing, s);
    preciseStatus_->setObjectName("preciseStatus");
    s->addRow(preciseStatus_);
    return s;
}

QWidget* SettingsView::buildFooter() {
    auto* footer = new QWidget(this);
    auto* column = new QVBoxLayout(footer);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* folder = new VortanButton("SESSIONS FOLDER", {}, footer);
    folder->setObjectName("sessionsFolder");
    connect(folder, &QAbstractButton::clicked, this, &SettingsView::openSessionsFolder);
    auto* quit = new VortanButton("QUIT", {.prominent = false, .danger = true}, footer);
    quit->setObjectName("quit");
    connect(quit, &QAbstractButton::clicked, this, [this] {
        if (onQuit_) onQuit_();
    });
    auto* close = new VortanButton("CLOSE", {.prominent = true, .danger = false}, footer);
    close->setObjectName("close");
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (onClose_) onClose_();
    });
    buttons->addWidget(folder);
    buttons->addWidget(quit);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);

    actionError_ = new TextBlock(statusFont(), Vortan::rageRed(), statusLineSpacing, footer);
    actionError_->setObjectName("actionError");
    actionError_->hide();
    column->addWidget(actionError_);
    saveError_ = new TextBlock(statusFont(), Vortan::rageRed(), statusLineSpacing, footer);
    saveError_->setObjectName("saveError");
    saveError_->hide();
    column->addWidget(saveError_);

    auto* version = new LineLabel(SettingsRules::footerLine, Vortan::kerned(Vortan::fontDemi(8.5), 0.8),
                                  Vortan::dimText(), footer);
    column->addWidget(version, 0, Qt::AlignHCenter);
    return footer;
}

QSize SettingsView::sizeHint() const {
    return {viewWidth, heightForWidth(viewWidth)};
}

int SettingsView::heightForWidth(int width) const {
    return layout() ? layout()->totalHeightForWidth(width) : 0;
}

void SettingsView::syncFromSettings() {
    soundNeedsAction_->setChecked(settings_.soundNeedsAction());
    soundKO_->setChecked(settings_.soundKO());
    notifyNeedsAction_->setChecked(settings_.notifyNeedsAction());
    notifyCompleted_->setChecked(settings_.notifyCompleted());
    overlapMenuBar_->setChecked(settings_.overlapMenuBar());
    showOverFullscreen_->setChecked(settings_.showOverFullscreen());
    showCompleted_->setChecked(settings_.showCompleted());

    positionLabel_->setText(q(SettingsRules::positionLabel(settings_.customSpot())));
    for (std::size_t i = 0; i < positionChips_.size(); ++i)
        positionChips_[i]->setSelected(SettingsRules::positionChipSelected(
            allIslandPositions[i], settings_.position(), settings_.customSpot()));

    syncMonitorChips();

    delayValue_->setText(q(SettingsRules::delayText(settings_.needsActionDelay())));
    delaySlider_->setValue(settings_.needsActionDelay());

    login_->setChecked(loginItem_);
    preciseFocus_->setChecked(settings_.preciseFocus());
    syncPreciseFocusText();

    const auto unsaved = settings_.saveError();
    saveError_->setText(unsaved ? q("Changes are not being saved: " + *unsaved) : QString());
    if (saveError_->isHidden() == unsaved.has_value()) {
        saveError_->setVisible(unsaved.has_value());
        contentChanged();
    }
}

void SettingsView::syncMonitorChips() {
    auto chips = SettingsRules::monitorChips(monitors_, settings_.displayKey(), settings_.displayName(),
                                             nameOverride_.has_value());
    auto sameShape = [&] {
        if (chips.size() != monitorChips_.size()) return false;
        for (std::size_t i = 0; i < chips.size(); ++i) {
            const auto* w = monitorChips_[i];
            if (w->property("displayKey").toString() != q(chips[i].key.value_or("")) ||
                w->text() != q(chips[i].name).toUpper() || w->note().isEmpty() == chips[i].notConnected)
                return false;
        }
        return true;
    };
    if (!sameShape()) {
        // A chip may be going away in its own click handler: delete later, and keep
        // keyboard focus in the column rather than letting it fall out of the window.
        bool hadFocus = false;
        for (auto* w : monitorChips_) {
            hadFocus = hadFocus || w->hasFocus();
            monitorColumn_->removeWidget(w);
            w->hide();
            w->deleteLater();
        }
        monitorChips_.clear();
        for (const auto& c : chips) {
            auto* chip = new SettingsChip(q(c.name).toUpper(), chipKerning, monitorColumn_->parentWidget());
            chip->setObjectName("monitorChip");
            chip->setProperty("displayKey", q(c.key.value_or("")));
            chip->setChipHeight(monitorChipHeight);
            if (c.notConnected) chip->setNote("NOT CONNECTED");
            connect(chip, &QAbstractButton::clicked, this, [this, key = c.key] { chooseMonitor(key); });
            monitorColumn_->addWidget(chip);
            chip->show(); // at once, not queued: a render right after must include it
            monitorChips_.push_back(chip);
        }
        // New chips go right after the position chips in the Tab order, not at its end.
        QWidget* previous = positionChips_.back();
        for (auto* chip : monitorChips_) {
            setTabOrder(previous, chip);
            previous = chip;
        }
        if (hadFocus)
            for (std::size_t i = 0; i < chips.size(); ++i)
                if (chips[i].selected) monitorChips_[i]->setFocus(Qt::OtherFocusReason);
        contentChanged();
    }
    for (std::size_t i = 0; i < chips.size(); ++i)
        monitorChips_[i]->setSelected(chips[i].selected);
}

void SettingsView::chooseMonitor(const std::optional<std::string>& key) {
    auto name = SettingsRules::displayNameFor(key, monitors_);
    // Re-choosing the pinned display while it is away must not forget its name.
    if (!name && key && key == settings_.displayKey()) name = settings_.displayName();
    settings_.setDisplayKey(key);
    settings_.setDisplayName(name);
    settings_.setCustomSpot(std::nullopt);
}

void SettingsView::refreshMonitors() {
    monitors_ = Displays::attached(platform_.displays->screens(), nameOverride_);
    syncMonitorChips();
}

void SettingsView::overrideMonitorNames(std::vector<std::string> names) {
    nameOverride_ = std::move(names);
    refreshMonitors();
}

void SettingsView::refreshAccess() {
    bool granted = platform_.accessibility && platform_.accessibility->isTrusted();
    if (granted == accessGranted_) return;
    accessGranted_ = granted;
    syncPreciseFocusText();
}

void SettingsView::refreshLoginItem() {
    auto& login = *platform_.autostart;
    loginItem_ = login.isEnabled();
    registeredPath_ = loginItem_ ? login.registeredPath() : std::nullopt;
    registeredHere_ = login.registeredHere();
    login_->setChecked(loginItem_);
    syncLoginTexts();
}

void SettingsView::setLoginEnabled(bool on) {
    auto err = platform_.autostart->setEnabled(on);
    loginError_ = err ? std::optional(SettingsRules::loginErrorText(err->description)) : std::nullopt;
    refreshLoginItem();
}

void SettingsView::syncLoginTexts() {
    loginStatus_->setText(q(SettingsRules::loginStatusText(loginItem_, registeredPath_, registeredHere_)));
    loginErrorText_->setText(q(loginError_.value_or("")));
    loginErrorText_->setVisible(loginError_.has_value());
    contentChanged();
}

void SettingsView::setPreciseFocus(bool on) {
    settings_.setPreciseFocus(on);
    auto& access = platform_.accessibility;
    if (on && access) access->requestAccess();
    accessGranted_ = access && access->isTrusted();
    syncPreciseFocusText();
}

void SettingsView::syncPreciseFocusText() {
    auto t = SettingsRules::preciseFocusText(settings_.preciseFocus(), accessGranted_);
    preciseStatus_->setText(q(t.text));
    preciseStatus_->setColor(t.alarm ? Vortan::rageRed() : Vortan::dimText());
    contentChanged();
}

void SettingsView::openSessionsFolder() {
    std::string path = SettingsRules::sessionsFolder(platform_.paths.home);
    std::optional<std::string> problem;
    switch (platform_.workspace ? platform_.workspace->openFolder(path) : Workspace::Opened::noHandler) {
    case Workspace::Opened::yes:
        break;
    case Workspace::Opened::missing:
        problem = "Couldn't open " + path + ": there is no such folder yet.";
        break;
    case Workspace::Opened::noHandler:
        problem = "Couldn't open " + path + ": no file browser answered.";
        break;
    }
    actionError_->setText(q(problem.value_or("")));
    actionError_->setVisible(problem.has_value());
    contentChanged();
}

void SettingsView::contentChanged() {
    // Each section caches its height until its own layout request comes round; settle
    // them now so the next sizeHint() already counts a message that appeared or went.
    for (auto* part : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (part->layout()) part->layout()->activate();
    if (layout()) layout()->invalidate();
}

bool SettingsView::event(QEvent* e) {
    bool handled = QWidget::event(e);
    if (e->type() == QEvent::LayoutRequest) {
        // A message appeared or went: a window of our own follows the new height.
        if (isWindow() && height() != sizeHint().height()) resize(sizeHint());
        emit sizeHintChanged();
    }
    return handled;
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    constexpr double rim = 1.5;
    QRectF frame = QRectF(rect()).adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2);
    QPainterPath shape = continuousRoundedRect(frame, cornerRadius);
    Backplate{shape}.paint(p, frame);

    QLinearGradient edge(frame.topLeft(), frame.bottomLeft());
    edge.setColorAt(0, Vortan::withOpacity(Vortan::goldLight(), 0.9));
    edge.setColorAt(0.5, Vortan::withOpacity(Vortan::goldDark(), 0.85));
    edge.setColorAt(1, Vortan::withOpacity(Vortan::gold(), 0.5));
    p.setPen(QPen(QBrush(edge), rim));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void SettingsView::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    refreshAccess();
    refreshLoginItem();
    refreshMonitors();
    accessTimer_.start();
}

void SettingsView::hideEvent(QHideEvent* e) {
    accessTimer_.stop();
    actionError_->hide();
    contentChanged();
    QWidget::hideEvent(e);
}

void SettingsView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape || e->matches(QKeySequence::Cancel)) {
        if (onClose_) onClose_();
        return;
    }
    QWidget::keyPressEvent(e);
}

void SettingsView::mousePressEvent(QMouseEvent* e) {
    // The window has no title bar: dragging its background moves it.
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragFrom_ = e->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    systemMove_ = false;
    e->accept(); // keep the moves coming to us
}

void SettingsView::mouseMoveEvent(QMouseEvent* e) {
    if (dragFrom_ && (e->buttons() & Qt::LeftButton) && !systemMove_) {
        QWindow* handle = window()->windowHandle();
        // The window manager moves it best (edge snapping, no lag); move it ourselves if not.
        if (handle && handle->startSystemMove())
            systemMove_ = true;
        else
            window()->move(e->globalPosition().toPoint() - *dragFrom_);
    }
    QWidget::mouseMoveEvent(e);
}

void SettingsView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) dragFrom_.reset();
    QWidget::mouseReleaseEvent(e);
}

} // namespace fray
