#include "app/ui/OptionsCommand.h"

#include "app/ui/CPSOptions.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvelApp.h"
#include "listview/OrvelView.h"

namespace orvel {

bool RunOptions(QWidget *parent, COrvelApp &app)
{
    CPSOptions sheet(app.GetSettings(), parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    app.GetSettings() = sheet.Settings();
    app.SaveSettings();
    if (CMainFrame *frame = app.GetMainFrame()) {
        frame->SetPaintedTitle(app.GetSettings().showTitle != 0);
        for (COrvelView *view : frame->GetRegisteredViews())
            view->RelayoutAfterOptions();
    }
    return true;
}

} // namespace orvel
