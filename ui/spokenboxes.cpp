#include "spokenboxes.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace zentorix {
namespace {

// A single-line text box as Qt describes it, with one text-attribute run over
// the whole text (the boxes have no attributes).
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) { }

    QLineEdit* Box() const { return static_cast<QLineEdit*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && !Box()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return Box()->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !Box()->isReadOnly();
        state.readOnly = Box()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    // The text interface.
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index == 0 && Box()->hasSelectedText()) {
            *start = Box()->selectionStart();
            *end = Box()->selectionEnd();
        }
    }
    int selectionCount() const override { return Box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { Box()->deselect(); }
    void setSelection(int, int start, int end) override { Box()->setSelection(start, end - start); }
    int cursorPosition() const override { return Box()->cursorPosition(); }
    void setCursorPosition(int position) override { Box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return Box()->text().mid(start, end - start); }
    int characterCount() const override { return int(Box()->text().size()); }

    // The box's text starts at the contents' left edge; Qt keeps how far
    // a long text is scrolled to itself, so a scrolled box gives places from
    // its start.
    QRect characterRect(int offset) const override
    {
        const QString text = Box()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        const QFontMetrics metrics = Box()->fontMetrics();
        const QRect contents = Box()->contentsRect().marginsRemoved(Box()->textMargins());
        const int left = contents.left() + metrics.horizontalAdvance(text.left(offset));
        const QRect local(left, contents.top() + (contents.height() - metrics.height()) / 2,
            metrics.horizontalAdvance(text.at(offset)), metrics.height());
        return QRect(Box()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Box()->cursorPositionAt(Box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override
    {
        Box()->setCursorPosition(end);
        Box()->setCursorPosition(start);
    }
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        if (offset < 0 || offset > *end)
            *start = *end = -1;
        return {};
    }

    // The editable text interface (not offered for a read-only box).
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override
    {
        Box()->setSelection(start, end - start);
        Box()->insert(text);
    }
};

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Qt before 6.8 has no announcement; Orca speaks a notification as it is
// shown. This one is a point under the menu bar, transparent and never
// painted: nothing a sighted user sees changes.
class ResultNotice : public QWidget {
    Q_OBJECT
public:
    explicit ResultNotice(QWidget* window) : QWidget(window)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 1, 1);
        lower();
    }

    void Say(const QString& message)
    {
        hide();
        message_ = message;
        show();  // the screen reader hears the notification as it shows
    }

    const QString& Message() const { return message_; }

private:
    QString message_;
};

class ResultNoticeAccessible : public QAccessibleWidget {
public:
    explicit ResultNoticeAccessible(ResultNotice* notice)
        : QAccessibleWidget(notice, QAccessible::Notification)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? static_cast<ResultNotice*>(widget())->Message() : QString();
    }
};
#endif

QAccessibleInterface* TextBoxFactory(const QString& className, QObject* object)
{
    // A password box stays Qt's, which hides its text.
    if (className == QLatin1String("QLineEdit"))
        if (auto* box = qobject_cast<QLineEdit*>(object); box && box->echoMode() == QLineEdit::Normal)
            return new TextBoxAccessible(box);
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    if (className == QLatin1String("zentorix::ResultNotice"))
        return new ResultNoticeAccessible(static_cast<ResultNotice*>(object));
#endif
    return nullptr;
}

// The label that names `box` (its buddy), in the same window.
QString LabelOf(const QLineEdit* box)
{
    for (const QLabel* label : box->window()->findChildren<QLabel*>()) {
        if (label->buddy() == box)
            return label->text();
    }
    return {};
}

// "label value, label value": each box with the text of the label that
// names it, as a screen reader reads the box.
QString LabelledValues(const QList<QLineEdit*>& boxes)
{
    QStringList parts;
    for (const QLineEdit* box : boxes)
        parts << LabelOf(box) + QLatin1Char(' ') + box->text();
    return parts.join(QLatin1String(", "));
}

}  // namespace

void InstallWholeTextBoxes()
{
    static const bool installed = (QAccessible::installFactory(TextBoxFactory), true);
    (void)installed;
}

void AnnounceResults(QWidget* window, const QList<QLineEdit*>& boxes)
{
    if (!QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(window, LabelledValues(boxes));
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    auto* notice = window->findChild<ResultNotice*>(QString(), Qt::FindDirectChildrenOnly);
    if (notice == nullptr)
        notice = new ResultNotice(window);
    notice->Say(LabelledValues(boxes));
#endif
}

}  // namespace zentorix

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#include "spokenboxes.moc"
#endif
