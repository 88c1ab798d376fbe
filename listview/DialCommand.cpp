#include "listview/DialCommand.h"

#include "listview/OrvelView.h"
#include "media/ui/TelephoneDialer.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"

namespace orvel {

void RegisterDialCommand(COrvelView &view, CommandMap &map)
{
    COrvelView *v = &view;
    map.On(
            ID_RECORD_DIAL,
            [v] {
                // What is being typed belongs to the record before it is dialled.
                v->CommitEdit();
                RunDialCommand(v, v->GetTable(), v->GetCurrentRecord(), v->GetCurrentField());
                v->OnUpdate(Hint::ShowCurrent);
            },
            [v](CCmdUI &ui) { ui.Enable(!v->IsDesignMode()); });
}

} // namespace orvel
