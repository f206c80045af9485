// The wizard window's controls as widgets: made from the layout table, and the
// primitives the window core acts on them with.
#include "qt/qt_wizard_window.h"

#include "qt/qt_frame.h"
#include "qt/qt_look.h"
#include "qt/qt_tick_box_style.h"
#include "qt/qt_translation.h"
#include "qt/qt_wizard_form.h"
#include "ui/twips.h"
#include "wizard/access_key.h"
#include "wizard/spoken_names.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <vector>

namespace corvath {

namespace {

QLabel* makeLabel(const ControlDesign& design, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    const bool right = (design.looks & look::kRightAligned) != 0;
    label->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    if ((design.looks & look::kBold) != 0) label->setFont(dialogFont(true));
    if (liesOnWhite(design)) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(p);
    }
    return label;
}

}  // namespace

void QtWizardWindow::makeControl(const ControlDesign& design) {
    QWidget* parent = design.container == Control::frmWizard ? form_.get() : widgets_.at(design.container);
    QWidget* w = makeWidget(design, parent);
    widgets_.emplace(design.name, w);
}

QWidget* QtWizardWindow::makeWidget(const ControlDesign& design, QWidget* parent) {
    switch (design.kind) {
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        // Enter clicks a button only while it has the focus; there is no default button.
        button->setAutoDefault(true);
        button->setDefault(false);
        return button;
    }
    case ControlKind::Frame:
        return new QtFrame(parent, (design.looks & look::kWhiteGround) != 0 ? QColor(Qt::white) : QColor());
    case ControlKind::Label:
        return makeLabel(design, parent);
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        image->setPixmap(QPixmap(QStringLiteral(":/corvath/banner.png")));
        image->setScaledContents(false);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return image;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(parent);
        box->setStyle(tickBoxStyle_);
        return box;
    }
    case ControlKind::TextBox: {
        auto* text = new QLineEdit(parent);
        text->setReadOnly(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Disabled, the box keeps its white ground; only its text greys.
        QPalette p = text->palette();
        p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Base));
        text->setPalette(p);
        return text;
    }
    case ControlKind::ListView:
        list_->setParent(parent);
        list_->setColumnCount(1);
        list_->setHeaderHidden(true);
        // Hidden, the header still names the column to a screen reader.
        list_->setHeaderLabels({translatedText(kDriveColumnName)});
        list_->setRootIsDecorated(false);
        list_->setUniformRowHeights(true);
        list_->setIconSize(QSize(16, 16));
        // Owned by the list; it draws the tick boxes so that they show on a dark ground too.
        list_->setStyle(tickBoxStyle_);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list_->header()->setStretchLastSection(false);
        list_->setColumnWidth(0, twipsToPixels(kListColumnWidthTwips, twipsPerPixelXExact()));
        return list_;
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Window:
    case ControlKind::Timer:
        break;
    }
    return nullptr;
}

void QtWizardWindow::nameControls() {
    for (const auto& [control, name] : kSpokenNames) widget(control)->setAccessibleName(translatedText(name));
}

void QtWizardWindow::connectEvents() {
    for (const Control c : {Control::chkRememberSettings, Control::chkCloseWhenDone}) {
        auto* box = static_cast<QCheckBox*>(widgets_.at(c));
        QObject::connect(box, &QCheckBox::stateChanged, box, [this, c](int) { clicked(c); });
    }
    for (const Control c : {Control::cmdNext, Control::cmdCancel}) {
        QObject::connect(static_cast<QPushButton*>(widgets_.at(c)), &QPushButton::clicked, form_.get(),
                         [this, c] { clicked(c); });
    }
}

void QtWizardWindow::applyTabOrder() {
    const std::vector<ControlDesign> focusable = focusOrder();
    for (std::size_t i = 1; i < focusable.size(); ++i) {
        QWidget::setTabOrder(widgets_.at(focusable[i - 1].name), widgets_.at(focusable[i].name));
    }
}

void QtWizardWindow::showCaption(Control control, const std::string& caption) {
    // The folder being scanned is a name, shown as it is; every other caption
    // is a text of the window, shown in the user's language.
    const QString text =
        control == Control::lblFolderName ? QString::fromStdString(caption) : translatedText(caption);
    QWidget* w = widget(control);
    if (control == Control::frmWizard) {
        form_->setWindowTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        // A translation brings its own access key's mark.
        const bool english = text == QString::fromStdString(caption);
        button->setText(english ? QString::fromStdString(markAccessKey(caption, design(control).accessKey)) : text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (control != Control::Image1) label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        // Read out as what it says: no label names it.
        edit->setAccessibleName(text);
    } else if (auto* frame = dynamic_cast<QtFrame*>(w)) {
        frame->setCaption(text);
    }
}

void QtWizardWindow::placeAt(Control control, const PixelRect& rect) {
    widget(control)->setGeometry(rect.left, rect.top, rect.width, rect.height);
}

QtWizardWindow::PixelSize QtWizardWindow::textRoom(Control control) const {
    const QWidget* w = widget(control);
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return {QFontMetrics(label->font()).horizontalAdvance(label->text()) + 1, 0};
    }
    // A tick box draws whole, its box's lower edge and its text's descenders
    // included, at any font and scale.
    const QSize wanted = w->sizeHint();
    return {wanted.width(), wanted.height()};
}

int QtWizardWindow::wrappedTextHeight(Control control, int widthPixels) const {
    const auto* label = static_cast<const QLabel*>(widget(control));
    const int height = label->heightForWidth(widthPixels);
    if (height > 0) return height;
    return QFontMetrics(label->font()).boundingRect(QRect(0, 0, widthPixels, 0), Qt::TextWordWrap, label->text()).height();
}

void QtWizardWindow::setShown(Control control, bool shown) {
    if (const auto covered = coveredShown_.find(control); covered != coveredShown_.end()) {
        covered->second = shown;
    } else {
        widget(control)->setVisible(shown);
    }
}

bool QtWizardWindow::isShown(Control control) const {
    if (const auto covered = coveredShown_.find(control); covered != coveredShown_.end()) return covered->second;
    const QWidget* w = widget(control);
    return w != nullptr && !w->isHidden();
}

void QtWizardWindow::setActive(Control control, bool enabled) { widget(control)->setEnabled(enabled); }

bool QtWizardWindow::isActive(Control control) const {
    const QWidget* w = widget(control);
    return w != nullptr && w->isEnabled();
}

void QtWizardWindow::raise(Control control) {
    QWidget* w = widget(control);
    w->raise();
    if (const auto covered = coveredShown_.find(control); covered != coveredShown_.end()) {
        w->setVisible(covered->second);
        coveredShown_.erase(covered);
    }
}

// A control sent behind a sibling that hides all of it (the loading notice
// behind the drive list) is hidden as well, so that a screen reader does not
// find it there; the window logic still reads the visibility it set.
void QtWizardWindow::lower(Control control) {
    QWidget* w = widget(control);
    w->lower();
    if (coveredShown_.count(control) != 0 || w->isHidden()) return;
    for (const QObject* sibling : w->parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(sibling);
        if (other != nullptr && other != w && !other->isHidden() && other->geometry().contains(w->geometry())) {
            coveredShown_[control] = true;
            w->hide();
            return;
        }
    }
}

int QtWizardWindow::checkState(Control control) const {
    switch (static_cast<const QCheckBox*>(widget(control))->checkState()) {
    case Qt::Unchecked: return check_state::kUnchecked;
    case Qt::PartiallyChecked: return check_state::kGrayed;
    case Qt::Checked: break;
    }
    return check_state::kChecked;
}

void QtWizardWindow::setCheckState(Control control, int state) {
    auto* box = static_cast<QCheckBox*>(widget(control));
    const QSignalBlocker blocker(box);
    if (state == check_state::kGrayed) box->setTristate(true);
    box->setCheckState(state == check_state::kUnchecked ? Qt::Unchecked
                       : state == check_state::kGrayed  ? Qt::PartiallyChecked
                                                        : Qt::Checked);
}

int QtWizardWindow::barValue(Control control) const {
    return static_cast<const QProgressBar*>(widget(control))->value();
}

void QtWizardWindow::setBarValue(Control control, int value) {
    static_cast<QProgressBar*>(widget(control))->setValue(value);
}

void QtWizardWindow::setLabelWrap(Control control, bool wrap) {
    static_cast<QLabel*>(widget(control))->setWordWrap(wrap);
}

void QtWizardWindow::setListCheckBoxes() { driveList_.enableCheckBoxes(); }

void QtWizardWindow::setListColumnPixels(int pixels) { list_->setColumnWidth(0, pixels); }

}  // namespace corvath
