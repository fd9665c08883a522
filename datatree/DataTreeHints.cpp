// Hints of the tree: the answer to the application's hint request (header
// column hints, node hints, tooltips for clipped cells) and the tree's hint
// window, which can fade or slide in over a copy of the screen.
#include <chrono>
#include <thread>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "datatree/DataStringTree.h"
#include "datatree/DataTreeDrawing.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/Utf.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"

namespace qv {

namespace {

std::string ShortHintOf(const std::string& hint) {
  return hint.substr(0, hint.find('|'));
}

}  // namespace

RECT TBaseDataTree::LastHintRect() const {
  return xfer_ ? xfer_->lastHintRect : RECT{};
}

std::u16string TBaseDataTree::GetNodeHint(PDataNode, TColumnIndex, TDTTooltipLineBreakStyle& LineBreakStyle) {
  LineBreakStyle = hlbDefault;
  return Utf8ToUtf16(Hint());
}

std::u16string TBaseDataTree::GetNodeTooltip(PDataNode Node, TColumnIndex Column,
                                             TDTTooltipLineBreakStyle& LineBreakStyle) {
  return GetNodeHint(Node, Column, LineBreakStyle);
}

THintAnimationType TBaseDataTree::EffectiveHintAnimation() const {
  if (HintAnimation != hatSystemDefault) return HintAnimation;
  BOOL animation = FALSE, fade = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
  if (!animation) return hatNone;
  SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
  return fade ? hatFade : hatSlide;
}

// Header hints and tooltips show without the usual wait.
void TBaseDataTree::HandleHintShowPause(int& Pause) {
  if (HintWindowDestroyed && header_->UseColumns() && header_->Options().Contains(hoShowHint)) {
    POINT p;
    GetCursorPos(&p);
    if (HandleAllocated() && header_->InHeader(TControl::ScreenToClient(p))) Pause = 0;
  }
  if (HintMode == hmTooltip) Pause = 0;
}

std::function<THintWindow*(TComponent*)> TBaseDataTree::GetHintWindowClass() {
  return [](TComponent* Owner) -> THintWindow* { return new TDataTreeHintWindow(Owner); };
}

LRESULT TBaseDataTree::HandleHintShow(void* HintInfo) {
  auto& info = *static_cast<THintInfo*>(HintInfo);
  TDataTreeTransferState& x = Xfer();
  POINT cursor = info.CursorPos;
  if (PtInRect(&x.lastHintRect, cursor)) return 1;
  THitInfo hit;
  GetHitTestInfoAt(cursor.x, cursor.y, true, hit);
  bool mayShow;
  if (states_.Contains(tsEditing)) {
    mayShow = hit.HitNode != focus_.Node();
  } else {
    TCustomForm* form = GetParentForm(this);
    mayShow = Focused() || (form && form->Focused()) || (Application && Application->Active());
  }
  bool busy = GetCapture() != nullptr || !ShowHint() || Dragging() || states_.Contains(tsDrawSelPending) ||
              states_.Contains(tsDrawSelecting) || states_.Contains(tsScrolling) ||
              ((header_->States & ~hsLoading) != 0 || header_->MouseState().Busy());
  if (busy || !mayShow) return 1;

  info.HintStr = " ";
  bool show = false;
  TDTHintData& data = x.hintData;
  data = TDTHintData{};
  data.Tree = this;
  if (header_->UseColumns() && header_->Options().Contains(hoShowHint) && HandleAllocated() &&
      header_->InHeader(cursor)) {
    // The header lies above the client area: its rectangle in client coordinates.
    info.CursorRect = headerRect_;
    POINT o = ClientOriginInWindow();
    OffsetRect(&info.CursorRect, -o.x, -o.y);
    int left = 0, right = 0;
    TColumnIndex column = header_->Columns()->GetColumnAndBounds(ClientToHeader(cursor), left, right);
    info.CursorRect.left = left;
    info.CursorRect.right = right;
    POINT bottom{0, 0};
    if (HandleAllocated()) bottom = TControl::ClientToScreen(bottom);
    info.HintPos.y = std::max<LONG>(info.HintPos.y, bottom.y);
    if (column >= 0 && GetKeyState(VK_LBUTTON) >= 0) {
      data.DefaultHint = header_->Columns()->Items(column)->Hint();
      data.Column = column;
      show = !data.DefaultHint.empty();
    }
  } else if (HintMode == hmDefault) {
    info.HintStr = ShortHintOf(Hint());
    x.lastHintRect = RECT{};
    DoStateChange({tsHint});
    return 0;
  } else if (hit.HitNode && hit.HitColumn >= NoColumn) {
    show = true;
    int left = 0, right = ClientWidth();
    if (header_->UseColumns()) header_->Columns()->GetColumnBounds(hit.HitColumn, left, right);
    if (header_->UseColumns() && options_->AutoOptions().Contains(toAutoSpanColumns)) {
      for (TColumnIndex c = header_->Columns()->GetNextVisibleColumn(hit.HitColumn);
           c >= 0 && DoGetCellIsEmpty(hit.HitNode, c); c = header_->Columns()->GetNextVisibleColumn(c)) {
        int l, r;
        header_->Columns()->GetColumnBounds(c, l, r);
        right = r;
      }
    }
    if (HintMode != hmTooltip) {
      RECT r = GetDisplayRect(hit.HitNode, hit.HitColumn, false);
      r.left = left;
      r.right = right;
      info.CursorRect = r;
      POINT corner{r.right, r.bottom};
      if (HandleAllocated()) corner = TControl::ClientToScreen(corner);
      info.HintPos.y = std::max<LONG>(info.HintPos.y, corner.y + 2);
    } else {
      RECT r;
      if (hit.HitNode->Has(vsMultiline)) {
        show = hit.HitPositions.Contains(hpOnItemLabel);
        r = GetDisplayRect(hit.HitNode, hit.HitColumn, true, false);
      } else {
        r = GetDisplayRect(hit.HitNode, hit.HitColumn, true, true);
        show = PtInRect(&r, cursor) && cursor.x >= left && cursor.x < right &&
               (std::min(right, ClientWidth()) < r.right || std::max(left, 0) > r.left ||
                ClientHeight() < r.bottom || r.top < 0);
      }
      if (show) {
        POINT topLeft{r.left, r.top};
        if (HandleAllocated()) topLeft = TControl::ClientToScreen(topLeft);
        info.HintPos = topLeft;
        info.CursorRect = r;
      }
    }
    data.Node = hit.HitNode;
    data.Column = hit.HitColumn;
    if (show && OwnerDrawsHints()) {
      // The tree measures its own hint; an empty size means no hint.
      data.HintRect = RECT{};
      DoGetHintSize(hit.HitNode, hit.HitColumn, data.HintRect);
      show = !IsRectEmpty(&data.HintRect);
    }
  } else if (HintMode == hmHintAndDefault) {
    data.DefaultHint = Utf8ToUtf16(ShortHintOf(Hint()));
    show = !data.DefaultHint.empty();
  }
  if (show) {
    info.HintWindowClass = GetHintWindowClass();
    info.HintData = &data;
    x.lastHintRect = info.CursorRect;
    DoStateChange({tsHint});
    return 0;
  }
  x.lastHintRect = RECT{};
  DoStateChange({}, {tsHint});
  return 1;
}

std::atomic<bool> HintWindowDestroyed{false};

TDataTreeHintWindow::TDataTreeHintWindow(TComponent* AOwner) : THintWindow(AOwner) {
  HintWindowDestroyed = false;
}

TDataTreeHintWindow::~TDataTreeHintWindow() {
  HintWindowDestroyed = true;
  aliveToken_.reset();
  FreeBitmaps();
}

void TDataTreeHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TDataTreeHintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case WM_SHOWWINDOW:
      if (Message.WParam == 0) {
        data_ = TDTHintData{};
        HintWindowDestroyed = false;
      }
      break;
  }
  THintWindow::Dispatch(Message);
}

bool TDataTreeHintWindow::IsHintMsg(const MSG& Msg) {
  bool cancels = THintWindow::IsHintMsg(Msg);
  if (!HandleAllocated() || !IsWindowVisible(WindowHandle())) return cancels;
  bool key = Msg.message >= WM_KEYFIRST && Msg.message <= 0x108;
  // Keys reach the tree during an animation: the application dispatches the
  // message right after this answer, so it is not dispatched here a second time.
  if (key || Msg.message == WM_NCMOUSEMOVE) return false;
  return cancels;
}

void TDataTreeHintWindow::FreeBitmaps() {
  auto drop = [](HDC& dc, HBITMAP& bmp, HGDIOBJ& old) {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bmp) DeleteObject(bmp);
    dc = nullptr;
    bmp = nullptr;
    old = nullptr;
  };
  drop(bufferDC_, bufferBmp_, bufferOld_);
  drop(backgroundDC_, backgroundBmp_, backgroundOld_);
  drop(targetDC_, targetBmp_, targetOld_);
  bitmapSize_ = SIZE{};
}

void TDataTreeHintWindow::SizeBitmaps(int W, int H) {
  FreeBitmaps();
  W = std::max(W, 1);
  H = std::max(H, 1);
  auto make = [W, H](HDC& dc, HBITMAP& bmp, HGDIOBJ& old) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = W;
    info.bmiHeader.biHeight = -H;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bmp);
  };
  make(bufferDC_, bufferBmp_, bufferOld_);
  make(backgroundDC_, backgroundBmp_, backgroundOld_);
  make(targetDC_, targetBmp_, targetOld_);
  bitmapSize_ = SIZE{W, H};
}

RECT TDataTreeHintWindow::CalcHintRect(int MaxWidth, const std::string& AHint) {
  (void)AHint;
  return CalcHintRectFor(MaxWidth, nullptr);
}

RECT TDataTreeHintWindow::CalcHintRect(int MaxWidth, const std::string&, void* Data) {
  return CalcHintRectFor(MaxWidth, static_cast<const TDTHintData*>(Data));
}

RECT TDataTreeHintWindow::CalcHintRectFor(int MaxWidth, const TDTHintData* AData) {
  if (!AData || !AData->Tree) return RECT{};
  data_ = *AData;
  TBaseDataTree* tree = data_.Tree;
  treeAlive_ = tree->AliveToken();
  auto* stringTree = dynamic_cast<TCustomDataStringTree*>(tree);
  if (data_.Node && tree->OwnerDrawsHints() && data_.DefaultHint.empty()) return data_.HintRect;
  auto* columns = tree->Header()->Columns();
  if (data_.Column > NoColumn && columns->IsValidColumn(data_.Column)) {
    data_.BidiMode = columns->Items(data_.Column)->BiDiMode();
    data_.Alignment = columns->Items(data_.Column)->Alignment();
  } else {
    data_.BidiMode = bdLeftToRight;
    data_.Alignment = tree->Alignment();
  }
  if (data_.BidiMode != bdLeftToRight && data_.Alignment != taCenter)
    data_.Alignment = data_.Alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  bool tooltip = data_.Node && tree->HintMode == hmTooltip;
  TFont* font = Canvas()->Font();
  if (!tooltip) {
    font->Assign(Screen->HintFont());
  } else {
    font->Assign(tree->Font());
    if (stringTree) {
      RECT unused;
      std::u16string text;
      stringTree->GetTextInfo(data_.Node, data_.Column, font, unused, text);
    }
  }
  HDC dc = Canvas()->Handle();
  SelectObject(dc, font->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  textHeight_ = tm.tmHeight;
  data_.LineBreakStyle = hlbDefault;
  if (!data_.DefaultHint.empty())
    data_.HintText = data_.DefaultHint;
  else if (data_.Node && tree->IsNodeOfThisTree(data_.Node))
    data_.HintText = tooltip ? tree->GetNodeTooltip(data_.Node, data_.Column, data_.LineBreakStyle)
                             : tree->GetNodeHint(data_.Node, data_.Column, data_.LineBreakStyle);
  if (data_.HintText.empty()) return RECT{};
  if (tooltip && stringTree) {
    if (data_.LineBreakStyle == hlbDefault)
      data_.LineBreakStyle = data_.Node->Has(vsMultiline) ? hlbForceMultiLine : hlbForceSingleLine;
    RECT result;
    if (data_.LineBreakStyle == hlbForceSingleLine) {
      result = tree->GetDisplayRect(data_.Node, data_.Column, true, true);
      if (tree->TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --result.bottom;
    } else {
      RECT r = tree->GetDisplayRect(data_.Node, data_.Column, true, false);
      RECT measured = r;
      DrawTextW(dc, data_.HintText.c_str(), int(data_.HintText.size()), &measured,
                DT_CALCRECT | DT_WORDBREAK);
      result = r;
      if (data_.BidiMode == bdLeftToRight)
        result.right = tree->TextMargin() + measured.right;
      else
        result.left = measured.left - tree->TextMargin() + 1;
      result.bottom = measured.bottom;
      result.right += 1;
      if (int(tree->NodeHeight(data_.Node)) + 2 >= result.bottom - result.top && result.left >= 0 &&
          result.top >= 0 && result.right <= tree->ClientWidth() + 3 &&
          result.bottom <= tree->ClientHeight() + 3)
        return RECT{};
    }
    InflateRect(&result, 1, 1);
    OffsetRect(&result, -result.left - 1, -result.top - 1);
    return result;
  }
  RECT result{0, 0, MaxWidth, textHeight_};
  DrawTextW(dc, data_.HintText.c_str(), int(data_.HintText.size()), &result,
            DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  result.bottom += 6;
  result.right += 2 * tree->TextMargin() + 2;
  return result;
}

void TDataTreeHintWindow::ActivateHint(RECT Rect, const std::string&) {
  if (IsRectEmpty(&Rect) || !data_.Tree || treeAlive_.expired()) {
    if (Application) Application->CancelHint();
    return;
  }
  TBaseDataTree* tree = data_.Tree;
  bool wasAnimating = tree->TreeStates().Contains(tsInAnimation);
  if (wasAnimating) tree->DoStateChange({}, {tsInAnimation});
  // Inside the desktop.
  RECT desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (Rect.bottom > desktop.bottom) OffsetRect(&Rect, 0, desktop.bottom - Rect.bottom);
  if (Rect.right > desktop.right) OffsetRect(&Rect, desktop.right - Rect.right, 0);
  if (Rect.top < desktop.top) OffsetRect(&Rect, 0, desktop.top - Rect.top);
  if (Rect.left < desktop.left) OffsetRect(&Rect, desktop.left - Rect.left, 0);
  SetBoundsRect(Rect);
  HWND h_ = Handle();
  SetWindowPos(h_, nullptr, Rect.left, Rect.top, w, h, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
  SizeBitmaps(w, h);
  if (tree->HandleAllocated()) UpdateWindow(tree->Handle());
  // Only the screen under the hint is composed, not the whole desktop.
  HRGN under = CreateRectRgnIndirect(&Rect);
  HDC screen = GetDCEx(nullptr, under, DCX_CACHE | DCX_INTERSECTRGN);
  DeleteObject(under);
  BitBlt(backgroundDC_, 0, 0, w, h, screen, Rect.left, Rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  SetWindowPos(h_, HWND_TOPMOST, Rect.left, Rect.top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  THintAnimationType kind = tree->EffectiveHintAnimation();
  std::weak_ptr<int> alive = aliveToken_;
  auto treeAlive = tree->AliveToken();
  stepsRun_ = 0;
  if (kind == hatNone || tree->AnimationDuration() == 0) {
    InvalidateRect(h_, nullptr, FALSE);
  } else {
    ValidateRect(h_, nullptr);
    int steps = kind == hatFade ? 255 : h;
    int duration = int(tree->AnimationDuration()) * (kind == hatFade ? 2 : 1);
    // A bounded number of frames; each step paints, then lets messages through.
    int frames = std::max(1, std::min(steps, duration / 16));
    int stepSize = std::max(1, steps / frames);
    tree->DoStateChange({tsInAnimation});
    // The window or the tree may go while messages are handled between steps:
    // then nothing of this object is touched again.
    auto gone = [&] {
      if (!alive.expired() && !treeAlive.expired()) return false;
      if (!treeAlive.expired()) tree->DoStateChange({}, {tsInAnimation, tsCancelHintAnimation});
      return true;
    };
    for (int step = stepSize; step <= steps + stepSize - 1; step += stepSize) {
      if (!AnimationStep(std::min(step, steps), stepSize)) break;
      if (gone()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(duration / frames));
    }
    if (gone()) return;
    tree->DoStateChange({}, {tsInAnimation, tsCancelHintAnimation});
  }
  if (wasAnimating && !treeAlive.expired()) tree->DoStateChange({tsCancelHintAnimation});
}

bool TDataTreeHintWindow::AnimationStep(int Step, int StepSize) {
  if (!HandleAllocated() || !IsWindowVisible(WindowHandle()) || !data_.Tree || treeAlive_.expired() ||
      data_.Tree->TreeStates().Contains(tsCancelHintAnimation))
    return false;
  ++stepsRun_;
  std::weak_ptr<int> alive = aliveToken_;
  InternalPaint(Step, StepSize);
  if (Application) Application->ProcessMessages();
  return !alive.expired();
}

void TDataTreeHintWindow::Paint() {
  InternalPaint(0, 0);
}

void TDataTreeHintWindow::InternalPaint(int Step, int StepSize) {
  if (!data_.Tree || treeAlive_.expired() || !bufferDC_) return;
  TBaseDataTree* tree = data_.Tree;
  int w = bitmapSize_.cx, h = bitmapSize_.cy;
  THintAnimationType kind = tree->EffectiveHintAnimation();
  if ((Step == 0 || StepSize == 0 || stepsRun_ <= 1) && data_.Node && tree->OwnerDrawsHints() &&
      data_.DefaultHint.empty() && tree->IsNodeOfThisTree(data_.Node)) {
    TCanvas canvas;
    canvas.SetHandle(bufferDC_);
    tree->DoDrawHint(&canvas, data_.Node, RECT{0, 0, w, h}, data_.Column);
    canvas.SetHandle(nullptr);
  } else if (Step == 0 || StepSize == 0 || stepsRun_ <= 1) {
    bool tooltip = data_.Node && tree->HintMode == hmTooltip;
    HFONT font = nullptr;
    TFont hintFont;
    int textTop = 2;
    std::u16string text = data_.HintText;
    if (!tooltip) {
      hintFont.Assign(Screen->HintFont());
    } else {
      hintFont.Assign(tree->Font());
      RECT r{};
      if (auto* s = dynamic_cast<TCustomDataStringTree*>(tree); s && tree->IsNodeOfThisTree(data_.Node)) {
        std::u16string cell;
        s->GetTextInfo(data_.Node, data_.Column, &hintFont, r, cell);
      }
      textTop = data_.LineBreakStyle == hlbForceMultiLine ? 1 : (h - (r.bottom - r.top)) / 2;
    }
    font = hintFont.Handle();
    RECT r{0, 0, w, h};
    HBRUSH back = CreateSolidBrush(COLORREF(ColorToRGB(clInfoBk)));
    FillRect(bufferDC_, &r, back);
    DeleteObject(back);
    HBRUSH black = CreateSolidBrush(0);
    FrameRect(bufferDC_, &r, black);
    DeleteObject(black);
    InflateRect(&r, -1, -1);
    UINT format = DT_NOPREFIX;
    if (data_.BidiMode != bdLeftToRight) {
      format |= DT_RTLREADING | DT_RIGHT;
      r.right -= tree->TextMargin() - 1;
    } else {
      r.left += tree->TextMargin();
    }
    if (tooltip && data_.LineBreakStyle == hlbForceMultiLine) format |= DT_WORDBREAK;
    r.top = textTop;
    HGDIOBJ old = SelectObject(bufferDC_, font);
    SetBkMode(bufferDC_, TRANSPARENT);
    SetTextColor(bufferDC_, COLORREF(ColorToRGB(clInfoText)));
    DrawTextW(bufferDC_, text.c_str(), int(text.size()), &r, format);
    SelectObject(bufferDC_, old);
  }
  HDC dc = GetDC(WindowHandle());
  if (StepSize < 1) {
    if (kind != hatFade) BitBlt(dc, 0, 0, w, h, bufferDC_, 0, 0, SRCCOPY);
  } else if (kind != hatFade) {
    BitBlt(dc, 0, 0, w, Step, bufferDC_, 0, h - Step, SRCCOPY);
    BitBlt(dc, 0, Step, w, h - Step, backgroundDC_, 0, Step, SRCCOPY);
  } else {
    BitBlt(targetDC_, 0, 0, w, h, backgroundDC_, 0, 0, SRCCOPY);
    BlendRect(bufferDC_, targetDC_, RECT{0, 0, w, h}, POINT{0, 0}, bmConstantAlpha, Step * 256 / 255, 0);
    BitBlt(dc, 0, 0, w, h, targetDC_, 0, 0, SRCCOPY);
  }
  ReleaseDC(WindowHandle(), dc);
}

}  // namespace qv
