#pragma once

#include <QString>

#include <functional>

// What a box shows: an error or an information with "OK", or a question with "Sim" and "Não". The
// values are the style flags the boxes have always been described by.
enum class TMessageKind : int { Error = 16, Information = 64, Question = 36 };
// The button that closed a box, with the values it has always had.
enum class TMessageResult : int { Ok = 1, Yes = 6, No = 7 };

// One message box request: text, kind and caption.
struct TMessageBoxCall
{
    QString Text;
    TMessageKind Kind = TMessageKind::Error;
    QString Title;
};

// The program's modal message boxes, captioned "OK", "Sim" and "Não". Every box passes through one
// handler, which tests replace so no test ever waits on a real modal window.
class TMessageBox final
{
public:
    using THandler = std::function<TMessageResult(const TMessageBoxCall &)>;

    // Shows the box on the GUI thread (handing over from a worker) and returns the result.
    static TMessageResult Show(const QString &text, TMessageKind kind, const QString &title);
    // Installs a replacement for the real boxes; an empty handler restores them.
    static void SetHandler(THandler handler);

private:
    static TMessageResult ShowModal(const TMessageBoxCall &call);
};

// A box titled with the caption of the active window (empty when there is none).
TMessageResult ShowMessageBox(const QString &text, TMessageKind kind);

// Shows the exception being handled in an error box: its text, or "Erro desconhecido". Call it
// only inside a catch block.
void ShowCurrentError();

// Runs work and shows what it raises in an error box. Handlers connected to Qt signals run through
// it so an error never unwinds through Qt's own frames, which are not built for exceptions (what
// they hold would leak).
template <typename TWork>
void ShowErrorsOf(TWork &&work)
{
    try {
        work();
    } catch (...) {
        ShowCurrentError();
    }
}
