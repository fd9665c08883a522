#include "platform/comctl/CommCtrl.h"
namespace qv {
void RegisterListViewClass() {}
}  // namespace qv
