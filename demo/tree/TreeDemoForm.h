// The data tree demo: a form holding a string tree of a million lazily
// initialised rows (a 16-byte record each) with six columns, check boxes,
// images and a header that sorts by the clicked column.
#pragma once
#include <memory>

#include "classlib/controls/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataStringTree.h"

namespace qv::treedemo {

constexpr uint32_t kRows = 1000000;
constexpr SIZE kClient{900, 560};

// The record every row keeps in its node.
struct TRowData {
  uint32_t Id;
  uint32_t Size;
  double Modified;
};
static_assert(sizeof(TRowData) == 16);

class TTreeDemoForm : public TForm {
 public:
  explicit TTreeDemoForm(TComponent* AOwner);
  TDataStringTree* Tree = nullptr;
  TCustomImageList* Images = nullptr;

 private:
  void HeaderClick(TColumnIndex Column);
};

// Creates and shows the demo form (the application's main form).
TTreeDemoForm* CreateTreeDemo();

}  // namespace qv::treedemo
