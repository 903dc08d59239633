// The list box of the series/parallel page: a plain-text box that stays quick
// with a pasted list of a million lines or a line of ten million characters.
#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

namespace zentorix {

class TListBox : public QPlainTextEdit {
public:
    explicit TListBox(QWidget* parent = nullptr);

    // Inserts at once what a paste still has to insert, so that the list
    // reads whole; nothing when no paste is under way.
    void FinishPaste();
    bool IsPasting() const { return !pending_.isEmpty(); }

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void InsertNextSlice();
    void EndPaste();

    QString pending_;  // the pasted text, of which `next_` characters are in
    qsizetype next_ = 0;
    QTextCursor cursor_;  // where the paste goes on, whatever the caret does
    QTimer slices_;
};

}  // namespace zentorix
