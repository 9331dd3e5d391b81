#include "tests/support/TMessageBoxRecorder.h"

TMessageBoxRecorder::TMessageBoxRecorder()
{
    TMessageBox::SetHandler([this](const TMessageBoxCall &call) {
        append(call);
        return call.Flags == TMessageBox::Question ? QuestionAnswer : int(TMessageBox::ResultOk);
    });
}

TMessageBoxRecorder::~TMessageBoxRecorder() { TMessageBox::SetHandler({}); }
