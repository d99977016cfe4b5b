#pragma once
// The protocol log `reProt`: a view of the log's lines (console/ProtocolLog.h), coloured,
// kept at the end as lines come.
//
// Lines may come by the thousand (a programming run logs every frame). They are put into
// the document at most every 25 ms, in one edit, followed by a single scroll and repaint;
// a plain-text document appends a block in time that does not grow with its length.
// Whoever reads the log through the pane gets the waiting lines put in first.

#include <QPlainTextEdit>
#include <QTimer>

#include "console/ProtocolLog.h"

namespace velmora::console {

class ProtocolLogPane : public QPlainTextEdit, private LogView {
    Q_OBJECT
public:
    explicit ProtocolLogPane(QWidget* parent = nullptr);
    ~ProtocolLogPane() override;

    // Shows `model`'s lines from now on, those it already holds included; until then the
    // pane shows a log of its own.
    void attach(ProtocolLogModel& model);
    ProtocolLogModel& model() { return *model_; }

    void appendLine(const std::string& text, link::Rgb colour) { model_->appendLine(text, colour); }
    void clearLog() { model_->clear(); }
    int lineCount() const { return static_cast<int>(model_->size()); }
    QString lineText(int index) const;
    QColor lineColour(int index) const;
    // Every line, each ended by a line feed.
    QString allText() const { return QString::fromStdString(model_->allText()); }
    // Puts the waiting lines into the document now.
    void flush() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void linesAppended() override;
    void linesDropped(size_t count) override;
    void logCleared() override;
    void flushNow();

    ProtocolLogModel ownModel_;
    ProtocolLogModel* model_ = &ownModel_;
    size_t shown_ = 0;  // the model's lines in the document
    bool fontTaken_ = false;
    QTimer flushTimer_;
};

}  // namespace velmora::console
