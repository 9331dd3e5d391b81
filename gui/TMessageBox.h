#pragma once

#include <QString>

#include <functional>

// One message box request: text, style flags and caption.
struct TMessageBoxCall
{
    QString Text;
    int Flags = 0;
    QString Title;
};

// The program's modal message boxes. Flags: 16 error + OK, 64 information + OK, 36 question with
// Yes/No, captioned "OK", "Sim" and "Não". Results: 1 OK, 6 Yes, 7 No. Every box passes through
// one handler, which tests replace so no test ever waits on a real modal window.
class TMessageBox final
{
public:
    enum : int { Error = 16, Information = 64, Question = 36 };
    enum : int { ResultOk = 1, ResultYes = 6, ResultNo = 7 };
    using THandler = std::function<int(const TMessageBoxCall &)>;

    // Shows the box on the GUI thread (handing over from a worker) and returns the result.
    static int Show(const QString &text, int flags, const QString &title);
    // Installs a replacement for the real boxes; an empty handler restores them.
    static void SetHandler(THandler handler);

private:
    static int ShowModal(const TMessageBoxCall &call);
};

// A box titled with the caption of the active window (empty when there is none).
int ShowMessageBox(const QString &text, int flags);

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
