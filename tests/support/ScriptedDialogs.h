#pragma once

#include "support/dialogs.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace fw::test {

// One dialog the station showed, as it asked for it.
struct DialogCall {
    enum class Kind { Message, Input, OpenFile, SaveFile };
    Kind kind = Kind::Message;
    QString text; // message text or input prompt
    QString title;
    DialogIcon icon = DialogIcon::None;
    DialogButtons buttons = DialogButtons::Ok;
    std::optional<DialogAnswer> defaultButton;
    QString defaultText;
    FileDialogRequest request;
};

// The test double of the operator's dialogs: records every dialog in order and answers from a
// queue. A dialog nobody expected, or of another kind than the next expected one, is noted;
// verify() fails the test on it and on expected dialogs that never came.
class ScriptedDialogs final : public Dialogs {
public:
    ScriptedDialogs& expectMessage(DialogAnswer answer = DialogAnswer::Ok);
    // An answer of nullopt cancels the box or dialog.
    ScriptedDialogs& expectInput(std::optional<QString> answer)
    {
        return expectText(DialogCall::Kind::Input, std::move(answer));
    }
    ScriptedDialogs& expectOpenFile(std::optional<QString> answer)
    {
        return expectText(DialogCall::Kind::OpenFile, std::move(answer));
    }
    ScriptedDialogs& expectSaveFile(std::optional<QString> answer)
    {
        return expectText(DialogCall::Kind::SaveFile, std::move(answer));
    }

    DialogAnswer message(const QString& text, const QString& title, DialogIcon icon,
                         DialogButtons buttons, std::optional<DialogAnswer> defaultButton) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override
    {
        return fileDialog(DialogCall::Kind::OpenFile, request);
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override
    {
        return fileDialog(DialogCall::Kind::SaveFile, request);
    }

    const QList<DialogCall>& calls() const { return m_calls; }
    QStringList texts() const; // message texts and prompts, in order
    void clear();

    // Empty when every expected dialog came and no other did; otherwise what went wrong.
    QString problems() const;

private:
    struct Expected {
        DialogCall::Kind kind;
        DialogAnswer answer = DialogAnswer::Ok;
        bool hasText = false; // false: the dialog is cancelled
        QString text;
    };
    ScriptedDialogs& expectText(DialogCall::Kind kind, std::optional<QString> answer);
    std::optional<QString> fileDialog(DialogCall::Kind kind, const FileDialogRequest& request);
    std::optional<Expected> take(DialogCall::Kind kind, const QString& what);
    static std::optional<QString> answerText(const std::optional<Expected>& e);

    std::deque<Expected> m_queue;
    QList<DialogCall> m_calls;
    QStringList m_unexpected;
};

} // namespace fw::test

// Fails the test when a dialog came that nobody expected, or an expected one did not come.
#define FW_VERIFY_DIALOGS(dialogs)                                                                 \
    QVERIFY2((dialogs).problems().isEmpty(), qPrintable((dialogs).problems()))
