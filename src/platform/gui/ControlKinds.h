#pragma once
// Every kind of control the toolkit shows, listed once for all back ends. A back end registers
// its peers with RegisterEveryKind, so a kind added here is a kind every back end must make a
// peer for: its build fails until it does.
#include <memory>

#include "platform/gui/Animate.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/Memo.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/PeerRegistry.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Separator.h"
#include "platform/gui/Shape.h"
#include "platform/gui/StringGrid.h"

namespace gui {

template <class... Kinds>
struct KindList {};

using ControlKinds =
    KindList<Form, Panel, Label, Button, CheckBox, RadioButton, Edit, Memo, ProgressBar, Animate,
             PageBook, Page, HeaderCell, Separator, Shape, Image, StringGrid>;

namespace detail {

template <class MakePeer, class... Kinds>
void RegisterEach(PeerRegistry& registry, const MakePeer& makePeer, KindList<Kinds...>) {
  (registry.Register<Kinds>([makePeer](Kinds& control) { return makePeer(control); }), ...);
}

}  // namespace detail

// Registers the peers of every kind: makePeer(control) is called with the control as its own
// kind (Form&, Panel&, ...).
template <class MakePeer>
void RegisterEveryKind(PeerRegistry& registry, const MakePeer& makePeer) {
  detail::RegisterEach(registry, makePeer, ControlKinds{});
}

}  // namespace gui
