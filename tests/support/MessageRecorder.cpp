#include "support/MessageRecorder.h"

TMessageRecorder::TMessageRecorder(QWidget* window, TMsgAnswer defaultAnswer) : FDefault(defaultAnswer) {
    Watch(window);
}

TMessageRecorder::~TMessageRecorder() {
    // Last watched first: a window watched twice gets back what it had before the first time.
    for (auto it = FWatched.rbegin(); it != FWatched.rend(); ++it)
        if (it->Window)
            SetMsgBoxHandler(it->Window, std::move(it->Previous));
}

void TMessageRecorder::Watch(QWidget* window) {
    if (!window)
        return;
    QWidget* top = window->window();
    TMsgBoxHandler previous =
        SetMsgBoxHandler(top, [this](const TMsgRequest& request) { return Answer(request); });
    FWatched.push_back(TWatched{top, std::move(previous)});
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
