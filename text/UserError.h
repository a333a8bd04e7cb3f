#pragma once
// The error a user is shown: what failed and, where it concerns one, the file or folder. Every
// layer throws it or a kind of it, so the message box needs to know no layer's own error.

#include <QString>
#include <stdexcept>

class TUserError : public std::runtime_error {
public:
    enum class TSubject { None, File, Folder };
    // How the text names the path: on a line of its own ("<what>\nFile: <path>"), or after
    // what failed and a colon, as the system's own error texts do ("File not found: D:\DOCS").
    enum class TPathForm { OwnLine, AfterColon };

    explicit TUserError(const QString& what);
    TUserError(const QString& what, TSubject subject, const QString& path,
               TPathForm form = TPathForm::OwnLine);

    const QString What;
    const TSubject Subject;
    const QString Path;
    const TPathForm Form;
    // What the user reads: `What`, and the path in its form.
    const QString Text;
};
