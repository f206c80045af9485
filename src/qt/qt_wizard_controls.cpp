// The wizard window's controls, made and placed from the layout table.
#include "qt/qt_wizard_window.h"

#include "qt/qt_frame.h"
#include "qt/qt_wizard_form.h"
#include "qt/qt_look.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace corvath {

void QtWizardWindow::buildControls() {
    for (const ControlDesign& design : kWizardControls) {
        geometry_.emplace(design.name, design);
        if (design.kind == ControlKind::Timer) continue;
        QWidget* parent = design.container == Control::frmWizard ? form_.get() : widgets_.at(design.container);
        captions_[design.name] = design.caption;
        QWidget* w = nullptr;
        switch (design.kind) {
        case ControlKind::Button: {
            auto* button = new QPushButton(parent);
            // Enter clicks a button only while it has the focus; there is no default button.
            button->setAutoDefault(true);
            button->setDefault(false);
            w = button;
            break;
        }
        case ControlKind::Frame:
            w = new QtFrame(parent, design.name == Control::frmTop ? QColor(Qt::white) : QColor());
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            const bool right = design.name == Control::lblDiskCount || design.name == Control::lblFileFldCount;
            label->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
            if (design.name == Control::lblTitle) label->setFont(dialogFont(true));
            if (design.container == Control::frmTop) {
                // The banner is white on every desktop, so its texts are dark on
                // every desktop too, a dark theme included.
                QPalette p = label->palette();
                p.setColor(QPalette::WindowText, Qt::black);
                label->setPalette(p);
            }
            w = label;
            break;
        }
        case ControlKind::Image: {
            auto* image = new QLabel(parent);
            image->setPixmap(QPixmap(QStringLiteral(":/corvath/banner.png")));
            image->setScaledContents(false);
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = image;
            break;
        }
        case ControlKind::CheckBox:
            w = new QCheckBox(parent);
            break;
        case ControlKind::TextBox: {
            auto* text = new QLineEdit(parent);
            text->setReadOnly(true);
            text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // Disabled, the box keeps its white ground; only its text greys.
            QPalette p = text->palette();
            p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Base));
            text->setPalette(p);
            w = text;
            break;
        }
        case ControlKind::ListView:
            list_->setParent(parent);
            list_->setColumnCount(1);
            list_->setHeaderHidden(true);
            list_->setRootIsDecorated(false);
            list_->setUniformRowHeights(true);
            list_->setIconSize(QSize(16, 16));
            list_->setSelectionMode(QAbstractItemView::SingleSelection);
            list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
            list_->header()->setStretchLastSection(false);
            list_->setColumnWidth(0, twipsToPixels(kListColumnWidthTwips, twipsPerPixelX_));
            w = list_;
            break;
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            w = bar;
            break;
        }
        case ControlKind::Window:
        case ControlKind::Timer:
            break;
        }
        widgets_.emplace(design.name, w);
        showCaption(design.name);
        placeControl(design.name);
        w->setEnabled(design.enabled);
        w->setVisible(design.visible);
    }

    const auto connectBox = [this](Control control) {
        auto* box = static_cast<QCheckBox*>(widgets_.at(control));
        QObject::connect(box, &QCheckBox::stateChanged, box,
                         [this, control](int) { dispatch([this, control] { runCheckHandler(control); }); });
    };
    connectBox(Control::chkRememberSettings);
    connectBox(Control::chkCloseWhenDone);
    QObject::connect(static_cast<QPushButton*>(widgets_.at(Control::cmdNext)), &QPushButton::clicked, form_.get(),
                     [this] { dispatch([this] { events_.onNextClick(); }); });
    QObject::connect(static_cast<QPushButton*>(widgets_.at(Control::cmdCancel)), &QPushButton::clicked, form_.get(),
                     [this] { dispatch([this] { events_.onCancelClick(); }); });
}

void QtWizardWindow::applyTabOrder() {
    const std::vector<ControlDesign> focusable = focusOrder();
    for (std::size_t i = 1; i < focusable.size(); ++i) {
        QWidget::setTabOrder(widgets_.at(focusable[i - 1].name), widgets_.at(focusable[i].name));
    }
}

void QtWizardWindow::placeControl(Control control) {
    const ControlDesign& g = geometry_.at(control);
    QWidget* w = widgets_.at(control);
    int width = twipsToPixels(g.width, twipsPerPixelX_);
    // The banner's texts were measured for a narrower font than most desktops
    // have; they may run on over the empty banner rather than lose their ends.
    if (control == Control::lblTitle || control == Control::lblDesc) {
        const auto* label = static_cast<const QLabel*>(w);
        width = std::max(width, QFontMetrics(label->font()).horizontalAdvance(label->text()) + 1);
    }
    int top = twipsToPixels(g.top, twipsPerPixelY_);
    int height = twipsToPixels(g.height, twipsPerPixelY_);
    // A tick box laid out for a smaller font, or drawn at another scale, would
    // lose its box's lower edge and its text's descenders: it draws whole,
    // centred on its rectangle, which stays as laid out.
    if (g.kind == ControlKind::CheckBox) {
        const QSize wanted = w->sizeHint();
        width = std::max(width, wanted.width());
        if (wanted.height() > height) {
            top -= (wanted.height() - height) / 2;
            height = wanted.height();
        }
    }
    w->setGeometry(twipsToPixels(g.left, twipsPerPixelX_), top, width, height);
}

}  // namespace corvath
