#pragma once

#include "gui/TMessageBox.h"

#include <QList>

// Stands in for the user at every message box while it lives: records each box (text, kind,
// title) in order and answers questions with QuestionAnswer, every other box with OK, so no test
// waits on a modal window. The list is the recorder itself.
class TMessageBoxRecorder final : public QList<TMessageBoxCall>
{
public:
    TMessageBoxRecorder();
    ~TMessageBoxRecorder();
    TMessageBoxRecorder(const TMessageBoxRecorder &) = delete;
    TMessageBoxRecorder &operator=(const TMessageBoxRecorder &) = delete;

    TMessageResult QuestionAnswer = TMessageResult::Yes;
};
