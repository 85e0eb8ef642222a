#include "RunEndQuestion.h"

#include "ConfirmDialog.h"
#include "KestrumModel.h"

#include <QCoreApplication>

namespace RunEndQuestion {

bool agreed(const QString& question, const QString& yes)
{
    const KestrumModel* model = KestrumModel::instance();
    const QString caption = QCoreApplication::translate("KestrumMainWindow", "Эксперимент идёт");
    return !model || !model->anyRunGoingOn()
           || ConfirmDialog::Ask(question, {{QStringLiteral("caption"), caption}, {QStringLiteral("yes"), yes}});
}

} // namespace RunEndQuestion
