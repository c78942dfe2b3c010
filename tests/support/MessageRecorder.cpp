#include "support/MessageRecorder.h"

TMessageRecorder::TMessageRecorder(TMsgAnswer defaultAnswer) : FDefault(defaultAnswer) {
    FPreviousBox = SetMsgBoxHandler([this](const TMsgRequest& request) { return Answer(request); });
}

TMessageRecorder::~TMessageRecorder() {
    SetMsgBoxHandler(std::move(FPreviousBox));
}

QStringList TMessageRecorder::Texts() const {
    QStringList texts;
    for (const TEntry& entry : FMessages)
        texts.append(entry.Text);
    return texts;
}

TMsgAnswer TMessageRecorder::Answer(const TMsgRequest& request) {
    FMessages.append(TEntry{request.Kind, request.Text, request.Parent});
    if (OnMessage)
        OnMessage(request);
    if (request.Kind != TMsgKind::Question)
        return TMsgAnswer::Ok;
    return FAnswers.isEmpty() ? FDefault : FAnswers.takeFirst();
}
