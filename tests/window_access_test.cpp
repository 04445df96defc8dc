// Every window as assistive technology and a user at any scale see it: each control a keyboard
// reaches has a name, and no text is cut off.
#include "fake_prompts.h"
#include "test_support.h"
#include "window_states.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class WindowAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareProgramDir(dir());
        windows = ShowEveryWindow(dir(), prompts);
        ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
    }
    QString dir() const { return program.path() + QLatin1Char('/'); }

    static QString describe(const QWidget* widget)
    {
        return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ')
            + (widget->objectName().isEmpty() ? QStringLiteral("(unnamed)") : widget->objectName());
    }

    QTemporaryDir program;
    FakePrompts prompts;
    std::vector<TShownWindow> windows;
};

// Controls that take text or a choice rather than showing one: their own value is no name.
bool isField(const QWidget* widget)
{
    return qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget)
        || qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
        || qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget);
}

// What a screen reader announces a control by: its name, or for a field the label it is
// labelled by (a buddy label), or a name given to it that the platform's bridge passes on.
bool hasName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface)
        return false;
    const QString name = iface->text(QAccessible::Name).trimmed();
    if (!isField(widget))
        return !name.isEmpty();
    for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
        if (label && !label->text(QAccessible::Name).trimmed().isEmpty())
            return true;
    }
    return !widget->accessibleName().isEmpty() && name == widget->accessibleName();
}

// The width a control needs to show its whole text.
int widthNeeded(QWidget* widget)
{
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
        // The text must fit the part of the button the style draws it in; the style's least
        // button width is a matter of looks only.
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.features = push->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
        const QRect contents = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
        const int text = push->fontMetrics().horizontalAdvance(QString(push->text()).remove(QLatin1Char('&')));
        return text + push->width() - contents.width();
    }
    if (qobject_cast<QAbstractButton*>(widget))
        return widget->sizeHint().width();
    auto* label = qobject_cast<QLabel*>(widget);
    if (label && !label->wordWrap() && !label->text().isEmpty() && label->pixmap().isNull())
        return label->minimumSizeHint().width();
    return 0;
}

// Whether every ancestor up to the window holds the whole widget.
bool wholeInWindow(const QWidget* widget)
{
    QRect area = widget->rect();
    for (const QWidget* w = widget; !w->isWindow(); w = w->parentWidget()) {
        area.translate(w->pos());
        if (!w->parentWidget()->rect().contains(area))
            return false;
    }
    return true;
}

} // namespace

TEST_F(WindowAccessTest, EveryControlTheKeyboardReachesHasAName)
{
    for (const TShownWindow& shown : windows) {
        QStringList nameless;
        for (QWidget* widget : shown.Window->findChildren<QWidget*>()) {
            // Pop-ups (menus, a combo box's list) are windows of their own, named by their
            // items; a widget with a focus proxy hands its focus on.
            if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy()
                || widget->window() != shown.Window.get())
                continue;
            if (!hasName(widget))
                nameless << describe(widget);
        }
        for (const QMenu* menu : shown.Window->findChildren<QMenu*>()) {
            for (const QAction* action : menu->actions()) {
                if (!action->isSeparator() && action->text().trimmed().isEmpty())
                    nameless << QStringLiteral("QAction ") + action->objectName();
            }
        }
        EXPECT_TRUE(nameless.isEmpty()) << shown.Name.toStdString() << ": "
                                        << nameless.join(QStringLiteral(", ")).toStdString();
    }
}

TEST_F(WindowAccessTest, FieldsAreLabelledByTheirCaptionsAndButtonsByTheirAction)
{
    QWidget& main = *windows.front().Window;
    auto labelOf = [](QWidget* field) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field);
        const auto labels = iface->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.constFirst().first->text(QAccessible::Name);
    };
    auto name = [](QWidget* control) {
        return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    };
    // A combo box is labelled by its caption, whatever it shows.
    const struct {
        const char* combo;
        const char* label;
    } combos[] = {{"ManufacturerCmb", "Manufacturer:"},  {"ModelCmb", "Model:"},
                  {"VideoQualityCmb", "Video quality:"}, {"AudioQualityCmb", "Audio quality:"},
                  {"ZoomModeCmb", "Zoom Mode:"},         {"ResolutionTypeCmb", "Resolution:"},
                  {"VolumeSelectCmb", "Volume:"}};
    for (const auto& c : combos)
        EXPECT_EQ(labelOf(main.findChild<QComboBox*>(QLatin1String(c.combo))), QLatin1String(c.label)) << c.combo;
    // The two "Bit Rate:" fields are told apart by their names.
    EXPECT_EQ(name(main.findChild<QLineEdit*>(QStringLiteral("VideoBitRateEdt"))),
              QStringLiteral("Video bit rate in kbit/s"));
    EXPECT_EQ(name(main.findChild<QLineEdit*>(QStringLiteral("AudioBitRateEdt"))),
              QStringLiteral("Audio bit rate in kbit/s"));
    EXPECT_EQ(name(main.findChild<QLineEdit*>(QStringLiteral("DestPathEdt"))), QStringLiteral("Destination folder"));
    EXPECT_EQ(name(main.findChild<QPushButton*>(QStringLiteral("VideoConfigShowBtn"))),
              QStringLiteral("Edit video options"));
    EXPECT_EQ(name(main.findChild<QPushButton*>(QStringLiteral("ResetAudioOption"))),
              QStringLiteral("Reset audio options"));
    // The captions' mnemonics reach their fields.
    auto* bitRate = main.findChild<QLineEdit*>(QStringLiteral("VideoBitRateEdt"));
    const auto labels = main.findChildren<QLabel*>();
    const auto buddyOfBitRate =
        std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->buddy() == bitRate; });
    ASSERT_NE(buddyOfBitRate, labels.end());
    EXPECT_EQ((*buddyOfBitRate)->text(), QStringLiteral("&Bit Rate:"));
}

TEST_F(WindowAccessTest, NoTextIsCutOff)
{
    for (const TShownWindow& shown : windows) {
        QStringList cut;
        for (QWidget* widget : shown.Window->findChildren<QWidget*>()) {
            if (!widget->isVisible())
                continue;
            const int needed = widthNeeded(widget);
            if (needed > widget->width())
                cut << QStringLiteral("%1 %2 < %3").arg(describe(widget)).arg(widget->width()).arg(needed);
            else if (needed > 0 && !wholeInWindow(widget))
                cut << describe(widget) + QStringLiteral(" outside its window");
        }
        // List columns are as wide as their texts, but for the file names beside a status in the
        // file list and the progress window's queue: they take what the status leaves, shortened
        // with an ellipsis, and the whole path is the row's tooltip or in the file-info panel.
        const auto givesWay = [](const QTreeView* list, int column) {
            return (list->objectName() == QLatin1String("FilesLvw") && column == 1)
                || (list->objectName() == QLatin1String("QueueLvw") && column == 0);
        };
        for (QTreeView* list : shown.Window->findChildren<QTreeView*>()) {
            if (!list->isVisible())
                continue;
            const QAbstractItemView* view = list; // the width a column's texts need, public here
            for (int column = 0; column < list->header()->count(); ++column) {
                if (list->isColumnHidden(column) || givesWay(list, column))
                    continue;
                const int needed = view->sizeHintForColumn(column);
                if (list->columnWidth(column) < needed)
                    cut << QStringLiteral("%1 column %2: %3 < %4")
                               .arg(describe(list))
                               .arg(column)
                               .arg(list->columnWidth(column))
                               .arg(needed);
            }
        }
        EXPECT_TRUE(cut.isEmpty()) << shown.Name.toStdString() << ": " << cut.join(QStringLiteral(", ")).toStdString();
    }
}
