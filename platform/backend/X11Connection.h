// The X11 backend's private state: the display connection, the X window of
// each top-level window, atoms, cursors, the input method, the clipboard and
// primary selections, and the events gathered while draining the X queue.
// Only the X11 backend's own files include this (it brings in Xlib).
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Surface.h"
#include "platform/WinTypes.h"
#include "platform/backend/Backend.h"

namespace qv::x11 {

struct TopWindow {
  HWND hwnd = nullptr;
  Window xid = 0;
  XIC ic = nullptr;
  bool overrideRedirect = false;
  bool shown = false;    // the window manager wants it visible
  bool mapped = false;   // MapNotify seen
  bool exposed = false;  // an Expose seen since the last map
  // The part of our window rectangle the desktop's window manager draws in
  // place of our own caption and frame (left, top, right, bottom widths).
  RECT inset;
  RECT requested;                   // root geometry last asked of the server
  unsigned long requestSerial = 0;  // the request that asked for it
  bool shaped = false;
  std::vector<RECT> shape;  // window region rectangles, X window coordinates
  std::u16string title;
  // The size limits last read from the window (WM_GETMINMAXINFO), X window sizes.
  SIZE minSize{0, 0}, maxSize{0, 0};
  bool sizable = false;
};

struct Atoms {
  Atom wmProtocols, wmDeleteWindow, motifHints, netWmName, utf8String, clipboard, targets, text, selection;
  Atom compoundText;
  Atom netWmPid, netWmIcon, cardinal, netWmWindowType, typeNormal, typeDialog, typeUtility, typePopupMenu,
      typeDropdownMenu, typeTooltip;
  Atom netWorkarea, netCurrentDesktop;  // the desktop's work area, on the root window
  Atom wmState;                         // ICCCM: the window manager's view (normal, iconic)
  Atom multiple, atomPair;              // several targets asked in one request
  // The desktop's clipboard manager keeps a copy once its program is gone.
  Atom clipboardManager, saveTargets, savedTargets;
};

// The drag-and-drop protocol between X clients (XDND).
struct DndAtoms {
  Atom aware, proxy, enter, position, status, leave, drop, finished, selection, typeList;
  Atom actionCopy, actionMove, actionLink, uriList, textPlainUtf8, textPlain;
  Atom actionList, incr, wmState;
};

// Text that one copy or one drag offers, rendered once for every request
// and every piece (X11SharedText.cpp): read from its source as transfers
// need more, or ahead of them while the windows are idle, and kept.
class SharedText {
 public:
  explicit SharedText(std::unique_ptr<TextReader> source);
  explicit SharedText(const std::string& whole);
  // Renders until `end` bytes are there or the source is through, or until
  // `until` when one is given (the source renders in short steps); the size then.
  size_t Reach(size_t end, std::chrono::steady_clock::time_point until = {});
  // True when `end` bytes are there or there will be no more.
  bool Reached(size_t end) const { return size_ >= end || !source_; }
  // Renders about `bytes` more; false once the source is through.
  bool Advance(size_t bytes);
  // A reader of the text from its start: what is made is read from memory,
  // more is made as the reader needs it.
  static std::unique_ptr<TextReader> ReadFromStart(std::shared_ptr<SharedText> text);
  bool Complete() const { return !source_; }
  size_t Size() const { return size_; }
  // Appends the bytes from `at`, up to `n` of them (as far as rendered), to `out`.
  void CopyOut(size_t at, size_t n, std::string& out) const;
  char At(size_t at) const;  // below Size()

 private:
  void Append(const char* data, size_t n);
  std::unique_ptr<TextReader> source_;  // nullptr once read to its end
  std::vector<std::string> blocks_;     // a megabyte each but the last
  size_t size_ = 0;
  std::string scratch_;
};

// What a drag learned of another program's top-level window (a window
// manager's frame or an unmanaged window): asked of the server once a drag.
struct ForeignTop {
  bool ours = false;  // one of our windows, or a frame around one
  Window aware = 0;   // the window that takes drops there, 0 when none
  Window sendTo = 0;  // where its messages go: itself or its proxy
  int version = 0;    // the protocol version both sides speak
};

// Our drag, from its start to its end, and the other program's window it is over.
struct DndSource {
  bool active = false;         // between the start and the end of a drag of ours
  unsigned generation = 0;     // counts drags, so late transfers know whose data they carried
  bool ownsSelection = false;  // claimed for this drag and not taken away since
  DWORD okEffects = 0;
  ForeignDragOffer offer;  // served from the drag selection
  // The offer's text, made in the idle steps from the drag's start, and its
  // URI list, made on the first request for it; each served to every
  // request and every type of the drag.
  std::shared_ptr<SharedText> text, uris;
  // Whether the rows are files, read from the text when a target first needs to know.
  std::optional<bool> files;
  bool delivered = false;  // a target's request was answered with the data
  Window target = 0;       // the drag-aware window under the pointer, 0 when none
  Window followed = 0;     // the target whose destruction we are told of
  Window sendTo = 0;       // where its messages go: the target or its proxy
  int version = 0;
  bool entered = false;        // the target was sent the enter (it waits for the text's start)
  POINT lastPoint{};           // where the pointer was last over the target
  Atom lastAction = 0;         // and the action proposed there
  bool waitingStatus = false;  // a position is out and its status has not come
  POINT sentPoint{};           // that position
  Atom sentAction = 0;
  bool pending = false;  // a newer position waits for that status
  POINT pendingPoint{};
  Atom pendingAction = 0;
  bool accepted = false;  // as the last status said
  Atom action = 0;
  // The drop: sent once the last position's status came; then the finish is
  // awaited. The deadline is that of the answer awaited now.
  enum class Drop { Idle, AwaitStatus, AwaitFinish, Over } drop = Drop::Idle;
  std::chrono::steady_clock::time_point dropDeadline;
  bool finished = false;
  bool finishedAccepted = false;
  Atom finishedAction = 0;
  // The top-level windows the drag has passed over, and the one found at the
  // pointer by the last look that the next step of the drag may take up.
  std::unordered_map<Window, ForeignTop> tops;
  std::optional<std::pair<POINT, Window>> topAt;
};

// Selection data going out in pieces (INCR): the next piece is put when the
// requestor has deleted the last one, each in one property change.
struct OutgoingTransfer {
  Window requestor = 0;
  Atom property = 0, type = 0;
  std::shared_ptr<SharedText> text;
  size_t at = 0;                // the bytes of `text` put so far
  bool latin1 = false;          // each piece converted from UTF-8 to Latin-1
  unsigned long putSerial = 0;  // our request that put the last piece (or INCR)
  bool waiting = false;         // the requestor took the last piece; the next is being made
  bool ofDrag = false;          // a drag's data: it ends with the drag
  std::function<void()> done;   // once the last piece was taken
  std::chrono::steady_clock::time_point lastActivity;
};

// The primary selection as we hold it: the text as the user selected it,
// and the UTF-8 made from it as requestors read it.
struct PrimarySelection {
  bool owned = false;
  std::shared_ptr<const std::u16string> text;
  std::shared_ptr<SharedText> served;
};

struct Connection;

// How a read of another program's selection ended: with data, refused (for
// every type asked), or failed (the owner went away or stayed silent).
enum class ReadEnd { Data, Refused, Failed };

// One read of another program's selection (X11SelectionRead.cpp), carried
// by the events as they come: a paste's, a question for the clipboard's
// types, or the one a waiting read waits on. Each read asks through a
// requestor window of its own, so an answer (a refusal too) is matched to
// the read whose request it answers, and to no other.
struct SelectionRead {
  unsigned id = 0;
  Atom selection = 0;
  Time time = CurrentTime;  // of the user's act that asked, as the owner may check it
  std::vector<Atom> types;  // the types still to ask for, the one asked now first
  bool text = false;        // decoded as text: an answer that is no text moves on to the next type
  Window requestor = 0;     // ours, for this read alone
  Window owner = 0;
  bool pieces = false;  // an INCR answer: pieces come until an empty one
  Atom pieceType = 0;
  int pieceFormat = 0;
  std::chrono::steady_clock::time_point asked;     // the request now out went then
  std::chrono::steady_clock::time_point deadline;  // the owner's silence ends the read here
  std::chrono::steady_clock::time_point check;     // the owner's window is looked at again
  bool ended = false;
  ReadEnd end = ReadEnd::Failed;
  Atom type = 0;  // the answer's type, format and bytes (the pieces put together)
  int format = 0;
  std::string bytes;
  std::u16string decoded;  // the text of a read as text
  // Runs at the end; false when nobody will take the read, which then goes.
  std::function<bool(Connection&, SelectionRead&)> told;
};

// Our requestor windows (X11Requestors.cpp): unmapped, each lent to one read
// at a time. One whose read ended before the owner's exchange was over is
// retired: what the owner still puts there is deleted as it comes (each
// piece too, so that the owner goes on to its end), and it goes once quiet.
struct Requestors {
  std::vector<Window> made;  // every one not destroyed
  std::vector<Window> free;
  struct Retired {
    Window window = 0;
    std::chrono::steady_clock::time_point last;  // retired, or the owner last put something there
  };
  std::vector<Retired> retired;  // oldest first
};

// What the program that holds the CLIPBOARD offers, as it answered our
// question for its TARGETS (asked without waiting for the answer). An answer
// belongs to one ownership: each change of owner the server reports (its
// XFIXES extension, also when the same window claims the clipboard again or
// a new program's window has an earlier owner's id) starts a new one, of
// which nothing is known until its owner answers.
struct ClipboardTypes {
  unsigned long ownership = 0;             // counts the changes reported
  Window owner = 0;                        // of the current ownership
  std::optional<std::vector<Atom>> types;  // its answer; empty for a refusal
  unsigned question = 0;                   // our read of its TARGETS under way, 0 when none
  // Windows that asked during this ownership: told of the answer and of the
  // ownership's end (WM_CLIPBOARDUPDATE).
  std::vector<HWND> notify;
};

// Another program's drag over our windows, as its messages said; the drop
// window acts on it in the message loop.
struct DndTarget {
  Window source = 0;
  Window window = 0;  // our X window the messages came to
  int version = 0;
  std::vector<Atom> types;
  POINT point{};
  Atom action = 0;
  Time time = 0;
  bool positionPosted = false;  // a position message waits in the drop window's queue
};

struct Connection {
  Display* dpy = nullptr;
  int screen = 0;
  Window root = 0;
  Visual* visual = nullptr;
  int depth = 0;
  bool directPixels = false;  // the visual's pixels are our 0x00RRGGBB words
  bool hasShape = false;
  int fixesEvent = 0;  // the XFIXES extension's first event; 0 without it
  GC gc = nullptr;
  int wakePipe[2] = {-1, -1};
  Atoms atoms{};
  XIM im = nullptr;
  Window utility = 0;  // unmapped: owns our selections
  std::unordered_map<HWND, TopWindow> tops;
  std::unordered_map<Window, HWND> byXid;
  std::map<int, Cursor> cursors;
  Cursor current = 0;
  std::array<UINT, 256> pressedVk{};  // by keycode, so a release matches its press
  // Clipboard (owner side)
  bool ownsClipboard = false;
  std::shared_ptr<SharedText> clipboardText;  // UTF-8, made once per copy
  unsigned clipboardLosses = 0;               // SelectionClear events of the clipboard
  ClipboardTypes clipboardTypes;              // of another program's clipboard
  PrimarySelection primary;
  // Gathered while draining: applied once per drain, last state wins.
  std::vector<HWND> exposedTops;
  std::map<HWND, XConfigureEvent> configured;
  HWND activate = nullptr;    // focus came to this window from the desktop
  HWND deactivate = nullptr;  // focus left this window (perhaps for another program)
  bool restacked = false;     // another client changed the stacking of top-level windows
  bool mappedActive = false;  // the active window was mapped in this drain
  bool injected = false;
  bool draining = false;  // Drain is running (handlers may peek again)
  // The pointer position last given to the window manager.
  POINT pointer;
  bool pointerKnown = false;
  Time lastTime = CurrentTime;  // of the newest input event, for selection and drag requests
  // Drag and drop with other programs.
  DndAtoms dnd{};
  DndSource dragOut;
  DndTarget dragIn;
  std::vector<OutgoingTransfer> transfers;
  // Reads of other programs' selections, oldest first.
  std::vector<std::unique_ptr<SelectionRead>> selectionReads;
  unsigned lastRead = 0;
  Requestors requestors;
  int waits = 0;              // waiting reads, nested in one another
  HWND dropWindow = nullptr;  // hidden: runs other programs' drops on our targets

  TopWindow* Find(HWND h) {
    auto it = tops.find(h);
    return it == tops.end() ? nullptr : &it->second;
  }
  TopWindow* FindX(Window w) {
    auto it = byXid.find(w);
    return it == byXid.end() ? nullptr : Find(it->second);
  }
};

// X11Windows.cpp
RECT DecorationInset(HWND top, bool overrideRedirect);
void ApplyConfigure(Connection& c, TopWindow& t, const XConfigureEvent& ev);
void SyncShape(Connection& c, TopWindow& t);
void SyncTitle(Connection& c, TopWindow& t);
// A shown window without a minimise button that the window manager made
// iconic is shown again (with a modal dialog it would take its owner along).
void RefuseIconic(Connection& c, TopWindow& t);
void ApplyCursor(Connection& c, Window w);

// X11Properties.cpp: what the desktop reads from a window (process, host,
// class, icon, window type, transient owner, size hints) and the stacking
// of popups over their forms.
void SetIdentity(Connection& c, TopWindow& t);
void SetWindowType(Connection& c, TopWindow& t);
void SetIcon(Connection& c, TopWindow& t);
void ReadConstraints(TopWindow& t);  // calls into the window: not while draining
void SetSizeHints(Connection& c, const TopWindow& t);
void RaisePopups(Connection& c);
// The work area the window manager announces (_NET_WORKAREA of the current
// desktop, within the screen), else the whole screen, becomes the system's.
void ReadWorkArea(Connection& c);
// The keyboard focus is on one of our windows, or follows the pointer into one.
bool FocusIsOurs(Connection& c);
// X11Events.cpp: one event; the effects that should happen once per drain are gathered in c.
void HandleEvent(Connection& c, XEvent& ev);
// Reads and handles every X event that has come, then applies what was gathered.
void DrainEvents(Connection& c);
void ApplyGathered(Connection& c);
void SyncLockKeys(Connection& c);

// X11Clipboard.cpp
// The answer to one selection request: a refusal unless data is put on the
// requestor's property first.
class SelectionAnswer {
 public:
  SelectionAnswer(Connection& c, const XSelectionRequestEvent& req);
  // Data beyond what one property holds goes in pieces (INCR); `done` runs
  // once the requestor has it all (at once for data put in one piece).
  void Put(Atom type, int format, const void* data, size_t count);
  // Text made once for every request (UTF-8, or Latin-1 with `latin1`): up to
  // a megabyte goes in one property, more in pieces, so the answer goes out
  // at once whatever the size.
  void Put(Atom type, const std::shared_ptr<SharedText>& text, bool ofDrag, std::function<void()> done,
           bool latin1 = false);
  void Send();
  // Whether data was put (else the answer is a refusal).
  bool Given() const { return reply_.property != None; }

 private:
  Connection& c_;
  XSelectionEvent reply_{};
  Atom property_;
};
std::u16string ReadClipboard(Connection& c);
// Another program's selection as text: UTF-8, else Latin-1; empty when it
// holds none or does not give it.
std::u16string ReadSelectionText(Connection& c, Atom selection);
void OwnClipboard(Connection& c, const std::u16string& text);
// Text rendered as it is read: made once, while the windows are idle or as
// other programs ask for it.
void OwnClipboard(Connection& c, std::unique_ptr<TextReader> text);
void OwnClipboard(Connection& c, std::unique_ptr<SharedText> text);
// Another program took the clipboard, unless we claimed it again since.
void ClipboardTaken(Connection& c);
// The largest property we put in one piece; larger data goes in pieces of this size.
size_t MaxPropertyBytes(Display* dpy);

// X11SelectionOwner.cpp: other programs' requests for the selections we
// hold (the CLIPBOARD's and PRIMARY's text, a drag's data).
void AnswerSelectionRequest(Connection& c, const XSelectionRequestEvent& req);

// X11Primary.cpp: the PRIMARY selection, taken with the time of the newest
// input (the user's act that made the selection).
void OwnPrimary(Connection& c, const std::u16string& text);
// Another program took PRIMARY, unless we claimed it again since.
void PrimaryTaken(Connection& c);
std::u16string ReadPrimary(Connection& c);

// X11ClipboardManager.cpp: at the program's end, our copy (if the CLIPBOARD
// is still ours) goes to the desktop's clipboard manager (if there is one),
// which serves it from then on. Waits for the manager a moment at most.
void HandOverClipboard(Connection& c);

// X11ClipboardTypes.cpp: whether another program's clipboard holds text,
// told without waiting for that program: its owner's answer, else `Asked`
// until it answers. `notify` gets WM_CLIPBOARDUPDATE at the answer and when
// the ownership changes, also when it asked while the clipboard was ours or
// had no owner. `Read` while the clipboard is ours, and without the
// XFIXES extension (the server does not tell of new owners then: only a read
// of the text tells).
ClipboardOffer AskClipboardTypes(Connection& c, HWND notify);
// The same, waiting for the answer as a read waits (never `Read` for another
// program's clipboard; `Asked` when its owner stayed silent or changed meanwhile).
ClipboardOffer AwaitClipboardTypes(Connection& c);
// The text types to ask the clipboard's owner for, best first: those its
// owner said it offers, else (it has not said) every type we read.
std::vector<Atom> ClipboardTextTypes(Connection& c);
// Has the server report every change of the clipboard's owner to us.
void FollowClipboardOwner(Connection& c);
// A change of the clipboard's owner; true when the event was one.
bool NoteClipboardTypes(Connection& c, const XEvent& ev);

// How long another program may stay silent when we read its selection: for
// its answer, and then for each piece. An owner that answers our requests
// one after the other is not silent while it answers an earlier one: each
// request's patience runs from the owner's last answer to one before it.
constexpr std::chrono::milliseconds kOwnerPatience{5000};
// How often a read looks at the owner's window, should its destruction not
// be reported (another part of the program chose that window's events).
constexpr std::chrono::milliseconds kOwnerCheck{250};

// X11SelectionRead.cpp: the one reader of another program's selection:
// the conversion, in one piece or in pieces (INCR), the owner's window
// watched (its destruction ends the read at once), the owner's patience for
// each request, and the text decoded. Never waits itself.
// Begins `read` (its selection, types, time, text and told set); its id, 0
// when the selection has no owner or there is no type to ask for.
unsigned BeginRead(Connection& c, SelectionRead read);
SelectionRead* FindRead(Connection& c, unsigned id);
// The read once it ended, taken away; null before, and for a read not there.
std::unique_ptr<SelectionRead> TakeRead(Connection& c, unsigned id);
// Gives the read up: nobody is told, and what its owner still puts is deleted.
void CancelRead(Connection& c, unsigned id);
// An event of a read or of a requestor; true when nothing else needs to see it.
bool NoteReadEvent(Connection& c, const XEvent& ev);
// Ends the reads whose owner stayed silent too long or is gone.
void ReadsDue(Connection& c);
// Milliseconds until ReadsDue has something to look at; -1 for never.
int ReadWait(const Connection& c);
// Whether a read under way waits for that window.
bool ReadFollows(const Connection& c, Window w);

// X11Requestors.cpp: the requestor windows of the reads.
Window TakeRequestor(Connection& c);
// The owner's exchange with it is over: it serves another read.
void FreeRequestor(Connection& c, Window w);
// Its read ended before the owner's exchange was over.
void RetireRequestor(Connection& c, Window w);
bool IsRequestor(const Connection& c, Window w);
// An event on a requestor no read uses: what was put there is deleted. True when it was one.
bool NoteIdleRequestorEvent(Connection& c, const XEvent& ev);
// Destroys the retired requestors that have been quiet long enough.
void RequestorsDue(Connection& c);

// X11ReadWait.cpp: reads that wait (a drop's data, the tree's paste, the
// text read at once): a read of the one reader, waited on. Our windows keep
// painting and their timers run while it waits; input stays queued for
// after it. The waiting reads nest (a timer's read within another's) up to
// a depth; deeper ones fail.
// Serves the windows until the read `id` ended or went; the read, taken, when it ended.
std::unique_ptr<SelectionRead> AwaitRead(Connection& c, unsigned id);
// One conversion of `selection` to `target`, as 8-bit data.
ReadEnd ReadSelection(Connection& c, Atom selection, Atom target, Time time, Atom& type, std::string& bytes);
// A selection's text, asked for as each of `types` in turn: a refusal (or
// an answer that is no text) moves on to the next, a failure (the owner is
// gone or silent) ends it, so that one owner is waited for once at most.
ReadEnd ReadText(Connection& c, Atom selection, const std::vector<Atom>& types, Time time,
                 std::u16string& out);

// X11PasteRead.cpp: a paste's read of another program's selection, which
// never holds the windows; `notify` gets `message` at its end, with the
// read's id. 0 when the selection has no owner or is ours.
unsigned BeginPasteRead(Connection& c, Atom selection, HWND notify, UINT message);
std::optional<std::u16string> TakePasteRead(Connection& c, unsigned id);
void CancelPasteRead(Connection& c, unsigned id);

// X11TextRead.cpp: the text types we read, and their decoding.
// UTF-8 types first, then TEXT (in whatever type its owner makes it), then Latin-1.
std::vector<Atom> ReadableTextTypes(const Connection& c);
bool IsReadableText(const Connection& c, Atom type);
// The text of an answer of `type`; false for a type that is no text we read.
bool DecodeText(const Connection& c, Atom type, const std::string& bytes, std::u16string& out);

// X11SelectionTransfer.cpp: incremental transfers (INCR) of our data.
// A transfer of `text` to the requestor's property, replacing any still
// open for that window and property.
void StartIncrTransfer(Connection& c, Window requestor, Atom property, Atom type,
                       std::shared_ptr<SharedText> text, bool latin1, bool ofDrag,
                       std::function<void()> done);
// Ends the transfers of a drag's data that are still going (the drag is over).
void EndDragTransfers(Connection& c);
// A window that was destroyed: the transfers to it end.
void EndTransfersTo(Connection& c, Window requestor);
// Selects on another program's window the events that what we have under
// way with it needs: its property changes and its end while our data goes
// to it, its end while it is our drag's target or owns a selection we read.
void FollowWindow(Connection& c, Window w);
// How much data one piece of an incremental transfer holds.
size_t PieceBytes(Display* dpy);
// UTF-8 as Latin-1 (STRING): characters beyond it become "?".
std::string Utf8ToLatin1(const std::string& utf8);
// A property change that moves an outgoing transfer on; false for others.
bool HandleTransferProperty(Connection& c, const XPropertyEvent& ev);
// One short step of making the offered texts (the clipboard's, and a drag's
// once asked for) ahead of the transfers; true while some are not complete.
bool RenderAhead(Connection& c, std::chrono::milliseconds budget);
// How long an answer to a request renders before it goes on in the idle
// steps: the windows wait no longer than that for a request.
constexpr std::chrono::milliseconds kAnswerStep{4};

// X11DragSource.cpp: our drags over other programs.
void InternDndAtoms(Connection& c);
// A drag of ours starts: the drag selection is claimed with its time stamp,
// and the offer's text is made in the idle steps from now on.
void BeginDrag(Connection& c, DWORD okEffects, const ForeignDragOffer& offer);
void EndDrag(Connection& c);
// Another client took a selection of ours; false for selections not ours to follow.
bool HandleDragSelectionClear(Connection& c, const XSelectionClearEvent& ev);
// Status and finish messages of a target; false for other messages.
bool HandleSourceMessage(Connection& c, const XClientMessageEvent& m);
// A window that was destroyed: when it was the target, a drop on it is
// over (nothing was taken) and a drag over it goes on without it; false
// for other windows.
bool DragTargetGone(Connection& c, Window w);
// Answers a request for the drag selection; false for other selections.
bool AnswerDragRequest(Connection& c, const XSelectionRequestEvent& req);
// True when the top-level window under the point, in the server's stacking
// order, is another program's (not ours and not the bare desktop).
bool ForeignTopAt(Connection& c, POINT pt);
bool DragOver(Connection& c, POINT screen, DWORD keys, DWORD& effect);
void DragLeave(Connection& c);
// The drop on the current target: sent once its status for the last position
// came, then its finish awaited; true while it goes on.
bool StartDrop(Connection& c);
bool DropGoesOn(Connection& c);
DWORD FinishedEffect(const Connection& c);
DWORD EffectOfAction(const Connection& c, Atom action);
Atom ActionOfEffect(const Connection& c, DWORD effect);

// X11DragTarget.cpp: other programs' drags over our windows.
void MakeDropWindow(Connection& c);
void DestroyDropWindow(Connection& c);
void SetDropAware(Connection& c, Window w);
// Enter, position, leave and drop messages of a source; false for other messages.
bool HandleTargetMessage(Connection& c, const XClientMessageEvent& m);

}  // namespace qv::x11
