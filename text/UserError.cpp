#include "text/UserError.h"

namespace {
QString TextOf(const QString& what, TUserError::TSubject subject, const QString& path,
               TUserError::TPathForm form) {
    if (subject == TUserError::TSubject::None)
        return what;
    if (form == TUserError::TPathForm::AfterColon)
        return what + QStringLiteral(": ") + path;
    return what +
           (subject == TUserError::TSubject::File ? QStringLiteral("\nFile: ")
                                                  : QStringLiteral("\nFolder: ")) +
           path;
}
} // namespace

TUserError::TUserError(const QString& what)
    : TUserError(what, TSubject::None, {}) {}

TUserError::TUserError(const QString& what, TSubject subject, const QString& path, TPathForm form)
    : std::runtime_error(TextOf(what, subject, path, form).toStdString())
    , What(what)
    , Subject(subject)
    , Path(path)
    , Form(form)
    , Text(TextOf(what, subject, path, form)) {}
