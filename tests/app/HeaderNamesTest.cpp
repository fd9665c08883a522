// Headers of different layers that one unit may well include together: the
// enumerators they put into namespace qv must not collide. This unit fails to
// compile when one comes back.
#include <type_traits>

#include "app/dialogs/DiscWiz.h"
#include "app/frames/Browser.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/ToolBar.h"
#include "datatree/BaseDataTree.h"
#include "skin/controls/skSpeedButton.h"

namespace qv {
namespace {

// The skinned speed button takes the tool bar's button styles, not a look-alike.
static_assert(std::is_same_v<decltype(std::declval<TSkSpeedButton&>().ButtonStyle()),
                             decltype(std::declval<TToolButton&>().Style())>);
// The data tree's search setting and the list view's item state each keep "isNone".
static_assert(std::is_same_v<decltype(isNone), TDTIncrementalSearch>);
static_assert(TItemStates{TItemStateItem::isNone}.Contains(TItemStateItem::isNone));

}  // namespace
}  // namespace qv
