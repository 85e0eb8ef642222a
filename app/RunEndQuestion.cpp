#include "RunEndQuestion.h"

#include "ConfirmDialog.h"
#include "KestrumModel.h"

namespace RunEndQuestion {

bool agreed(const QString& question, const QString& caption, const QString& yes)
{
    const KestrumModel* model = KestrumModel::instance();
    return !model || !model->anyRunGoingOn()
           || ConfirmDialog::Ask(question, {{QStringLiteral("caption"), caption}, {QStringLiteral("yes"), yes}});
}

} // namespace RunEndQuestion
