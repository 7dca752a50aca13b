#include "framework/DialogBuilder.h"

#include "framework/AccessibleNames.h"
#include "framework/HotKeyEdit.h"
#include "framework/ListView.h"
#include "res/Resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

QWidget* makeButton(const ControlTemplate& c, QWidget* parent)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.style & BS_TYPEMASK) {
    case BS_GROUPBOX:
        return new QGroupBox(text, parent);
    case BS_AUTOCHECKBOX: {
        auto* box = new QCheckBox(text, parent);
        if (c.style & BS_LEFTTEXT)
            box->setLayoutDirection(Qt::RightToLeft);
        return box;
    }
    default: {
        auto* button = new QPushButton(text, parent);
        // A push button with the focus is the default button while it has
        // it, so Enter presses that button; with the focus elsewhere the
        // template's default button takes Enter and the default look back.
        button->setAutoDefault(true);
        button->setDefault((c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        return button;
    }
    }
}

QWidget* makeStatic(const ControlTemplate& c, QWidget* parent)
{
    auto* label = new QLabel(parent);
    if ((c.style & 0x1F) == SS_ICON) {
        label->setPixmap(res::loadIcon(IDR_MAINFRAME).pixmap(32, 32));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(c.text));
    label->setWordWrap(false);
    return label;
}

QWidget* makeEdit(const ControlTemplate& c, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    if (c.style & ES_NUMBER)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setFrame((c.style & WS_BORDER) != 0);
    return edit;
}

QWidget* makeControl(const ControlTemplate& c, QWidget* parent)
{
    switch (c.cls) {
    case ControlClass::Button:
        return makeButton(c, parent);
    case ControlClass::Static:
        return makeStatic(c, parent);
    case ControlClass::Edit:
        return makeEdit(c, parent);
    case ControlClass::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    case ControlClass::ListView: {
        auto* list = new ListView(parent);
        list->setSelectionMode((c.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                         : QAbstractItemView::ExtendedSelection);
        list->setFrameShape((c.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
        return list;
    }
    case ControlClass::HotKey:
        return new HotKeyEdit(parent);
    }
    return nullptr;
}

bool takesFocus(const ControlTemplate& c)
{
    if (c.cls == ControlClass::Static)
        return false;
    if (c.cls == ControlClass::Button && (c.style & BS_TYPEMASK) == BS_GROUPBOX)
        return false;
    return true;
}

} // namespace

QFont templateFont(const DialogTemplate& t)
{
    QFont font(QString::fromUtf8(t.fontName));
    font.setPointSize(t.pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

std::vector<BuiltControl> buildControls(QWidget* dialog, const DialogTemplate& t)
{
    dialog->setFont(templateFont(t));
    const DialogUnits units = DialogUnits::forFont(dialog->font());
    dialog->setFixedSize(units.toPixelsX(t.cx), units.toPixelsY(t.cy));

    std::vector<BuiltControl> built;
    built.reserve(t.controls.size());
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : t.controls) {
        QWidget* w = makeControl(c, dialog);
        QRect rect = units.toPixels(c.x, c.y, c.cx, c.cy);
        if (c.cls == ControlClass::ComboBox) {
            // The template's height is that of the dropped-down list; the
            // closed box is one line high.
            rect.setHeight(w->sizeHint().height());
        }
        w->setGeometry(rect);
        if (c.id != -1)
            w->setObjectName(QStringLiteral("control%1").arg(c.id));
        if (!takesFocus(c))
            w->setFocusPolicy(Qt::NoFocus);
        else if (c.style & WS_TABSTOP)
            w->setFocusPolicy(Qt::StrongFocus);
        else
            w->setFocusPolicy(Qt::ClickFocus);
        if (c.style & WS_TABSTOP) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        }
        built.push_back({&c, w});
    }

    // Group boxes are frames drawn behind the controls they hold, whatever
    // their place in the template (the "Hot Keys" frame comes after a field
    // inside it, and would otherwise take that field's clicks).
    for (const BuiltControl& b : built)
        if (qobject_cast<QGroupBox*>(b.widget))
            b.widget->lower();

    // A label's mnemonic moves the focus to the next control that takes it,
    // as a static text's does on Windows.
    for (size_t i = 0; i < built.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(built[i].widget);
        if (!label || (built[i].source->style & SS_NOPREFIX) || !label->text().contains(QLatin1Char('&')))
            continue;
        for (size_t j = i + 1; j < built.size(); ++j) {
            if (takesFocus(*built[j].source)) {
                label->setBuddy(built[j].widget);
                break;
            }
        }
    }

    // Screen readers hear each field by its label's text; nothing shown
    // changes.
    const std::vector<AccessibleText> texts = accessibleTexts(t);
    for (size_t i = 0; i < built.size(); ++i) {
        if (!texts[i].name.isEmpty())
            built[i].widget->setAccessibleName(texts[i].name);
        if (!texts[i].description.isEmpty())
            built[i].widget->setAccessibleDescription(texts[i].description);
    }

    return built;
}

void runInitData(const std::vector<BuiltControl>& controls, const DialogTemplate& t)
{
    for (const ComboBoxInit& init : t.initData) {
        for (const BuiltControl& b : controls) {
            if (b.source->id != init.id)
                continue;
            if (auto* combo = qobject_cast<QComboBox*>(b.widget))
                for (const char* s : init.strings)
                    combo->addItem(QString::fromUtf8(s));
        }
    }
}
