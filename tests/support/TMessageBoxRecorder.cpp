#include "tests/support/TMessageBoxRecorder.h"

TMessageBoxRecorder::TMessageBoxRecorder()
{
    TMessageBox::SetHandler([this](const TMessageBoxCall &call) {
        append(call);
        return call.Kind == TMessageKind::Question ? QuestionAnswer : TMessageResult::Ok;
    });
}

TMessageBoxRecorder::~TMessageBoxRecorder() { TMessageBox::SetHandler({}); }
