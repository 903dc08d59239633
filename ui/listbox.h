// The list box of the series/parallel page: a plain-text box that stays quick
// with a pasted list of a million lines or a line of ten million characters.
#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

namespace zentorix {

class TListBox : public QPlainTextEdit {
    // For qobject_cast and findChild.
    Q_OBJECT

public:
    explicit TListBox(QWidget* parent = nullptr);

    // The list exactly as typed, a paste under way included (what it still
    // has to insert goes in at once): the plain-text view would turn a
    // no-break space into a blank, which the quantity boxes never see.
    // Paragraphs and the lines that Shift+Enter makes are line ends.
    QString Text();
    bool IsPasting() const { return !pending_.isEmpty(); }

signals:
    // The last slice of a long paste is in.
    void PasteFinished();

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void FinishPaste();
    void InsertNextSlice();
    void EndPaste();

    QString pending_;  // the pasted text, of which `next_` characters are in
    qsizetype next_ = 0;
    QTextCursor cursor_;  // where the paste goes on, whatever the caret does
    QTimer slices_;
};

}  // namespace zentorix
