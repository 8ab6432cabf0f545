#include "ScriptedDialogs.h"

namespace fw::test {

namespace {
const char* kindName(DialogCall::Kind kind)
{
    switch (kind) {
    case DialogCall::Kind::Message:
        return "message";
    case DialogCall::Kind::Input:
        return "input box";
    case DialogCall::Kind::OpenFile:
        return "open-file dialog";
    case DialogCall::Kind::SaveFile:
        return "save-file dialog";
    }
    return "dialog";
}
} // namespace

std::optional<QString> ScriptedDialogs::answerText(const std::optional<Expected>& e)
{
    if (!e || !e->hasText)
        return std::nullopt;
    return e->text;
}

ScriptedDialogs& ScriptedDialogs::expectMessage(DialogAnswer answer)
{
    m_queue.push_back({DialogCall::Kind::Message, answer, false, QString()});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectText(DialogCall::Kind kind, std::optional<QString> answer)
{
    m_queue.push_back({kind, DialogAnswer::Ok, answer.has_value(), answer.value_or(QString())});
    return *this;
}

std::optional<ScriptedDialogs::Expected> ScriptedDialogs::take(DialogCall::Kind kind,
                                                               const QString& what)
{
    if (m_queue.empty() || m_queue.front().kind != kind) {
        // A screen that keeps asking (an input loop answered by nobody) must not hang the suite.
        if (m_unexpected.size() >= 200)
            qFatal("more than 200 unexpected dialogs: the code under test is looping on them");
        m_unexpected << QStringLiteral("unexpected %1: \"%2\"%3")
                            .arg(QLatin1String(kindName(kind)), what,
                                 m_queue.empty()
                                     ? QString()
                                     : QStringLiteral(" (expected a %1)")
                                           .arg(QLatin1String(kindName(m_queue.front().kind))));
        return std::nullopt;
    }
    Expected e = m_queue.front();
    m_queue.pop_front();
    return e;
}

DialogAnswer ScriptedDialogs::message(const QString& text, const QString& title, DialogIcon icon,
                                      DialogButtons buttons,
                                      std::optional<DialogAnswer> defaultButton)
{
    DialogCall call;
    call.kind = DialogCall::Kind::Message;
    call.text = text;
    call.title = title;
    call.icon = icon;
    call.buttons = buttons;
    call.defaultButton = defaultButton;
    m_calls << call;
    const auto e = take(call.kind, text);
    if (!e)
        return buttons == DialogButtons::Ok      ? DialogAnswer::Ok
               : buttons == DialogButtons::YesNo ? DialogAnswer::No
                                                 : DialogAnswer::Cancel;
    return e->answer;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText)
{
    DialogCall call;
    call.kind = DialogCall::Kind::Input;
    call.text = prompt;
    call.title = title;
    call.defaultText = defaultText;
    m_calls << call;
    return answerText(take(call.kind, prompt));
}

std::optional<QString> ScriptedDialogs::fileDialog(DialogCall::Kind kind,
                                                   const FileDialogRequest& request)
{
    DialogCall call;
    call.kind = kind;
    call.request = request;
    call.title = request.title;
    m_calls << call;
    return answerText(take(kind, request.filter));
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const DialogCall& c : m_calls)
        out << c.text;
    return out;
}

void ScriptedDialogs::clear()
{
    m_queue.clear();
    m_calls.clear();
    m_unexpected.clear();
}

QString ScriptedDialogs::problems() const
{
    QStringList out = m_unexpected;
    for (const Expected& e : m_queue)
        out << QStringLiteral("expected %1 never shown").arg(QLatin1String(kindName(e.kind)));
    return out.join(QStringLiteral("; "));
}

} // namespace fw::test
