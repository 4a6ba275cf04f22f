#include "app/drawers.h"

#include <QElapsedTimer>
#include <QRect>
#include <QWidget>

#include "ui/ui.h"

namespace quorvel {
namespace {

// Spins for the step pause. Nothing else runs meanwhile: no events are
// processed, so clicks made during a slide are handled after it.
void BusyPause() {
  QElapsedTimer timer;
  timer.start();
  while (timer.nsecsElapsed() < DrawerCabinet::kStepPauseNs) {
  }
}

void MoveToTwips(QWidget* widget, int top) { widget->move(widget->x(), Px(top)); }

}  // namespace

DrawerCabinet::DrawerCabinet(const std::array<Drawer, 3>& drawers) {
  for (std::size_t i = 0; i < drawers.size(); ++i) {
    drawers_[i].parts = drawers[i];
    drawers_[i].front_top = drawers[i].front_home;
    drawers_[i].handle_top = drawers[i].handle_home;
    MoveToTwips(drawers[i].front, drawers[i].front_home);
    MoveToTwips(drawers[i].handle, drawers[i].handle_home);
  }
}

void DrawerCabinet::SlideOutDrawer1() { Slide(1, kStepTwips); }
void DrawerCabinet::SlideInDrawer1() { Slide(1, -kStepTwips); }
void DrawerCabinet::SlideOutDrawer2() { Slide(2, kStepTwips); }
void DrawerCabinet::SlideInDrawer2() { Slide(2, -kStepTwips); }
void DrawerCabinet::SlideOutDrawer3() { Slide(3, kStepTwips); }
void DrawerCabinet::SlideInDrawer3() { Slide(3, -kStepTwips); }

void DrawerCabinet::SlideOut(int number) {
  switch (number) {
    case 1:
      SlideOutDrawer1();
      break;
    case 2:
      SlideOutDrawer2();
      break;
    case 3:
      SlideOutDrawer3();
      break;
    default:
      break;
  }
}

void DrawerCabinet::SlideIn(int number) {
  switch (number) {
    case 1:
      SlideInDrawer1();
      break;
    case 2:
      SlideInDrawer2();
      break;
    case 3:
      SlideInDrawer3();
      break;
    default:
      break;
  }
}

void DrawerCabinet::ClickHandle(int number) {
  if (!IsClosed(number)) {
    SlideIn(number);
    return;
  }
  for (int other = 1; other <= 3; ++other) {
    if (!IsClosed(other)) SlideIn(other);
  }
  SlideOut(number);
}

bool DrawerCabinet::IsClosed(int number) const {
  const State& drawer = At(number);
  return drawer.front_top == drawer.parts.front_home;
}

int DrawerCabinet::FrontTop(int number) const { return At(number).front_top; }
int DrawerCabinet::HandleTop(int number) const { return At(number).handle_top; }

void DrawerCabinet::Slide(int number, int per_step) {
  State& drawer = At(number);
  // An upper drawer that is out covers the handle of the drawer below it.
  QWidget* handle_below = number < 3 ? At(number + 1).parts.handle : nullptr;
  const bool out = per_step > 0;
  const int change_step = out ? kHideStepOut : kShowStepIn;
  QWidget* front = drawer.parts.front;
  QWidget* handle = drawer.parts.handle;
  QWidget* surface = front->parentWidget();

  for (int i = 0; i < kSteps; ++i) {
    BusyPause();
    QRect dirty = front->geometry() | handle->geometry();
    if (handle_below != nullptr && i == change_step) {
      handle_below->setVisible(!out);
      dirty |= handle_below->geometry();
    }
    drawer.front_top += per_step;
    MoveToTwips(front, drawer.front_top);
    drawer.handle_top += per_step;
    MoveToTwips(handle, drawer.handle_top);
    dirty |= front->geometry() | handle->geometry();
    // Draw the step now: no event loop runs until the slide ends.
    if (surface != nullptr && surface->isVisible()) {
      surface->repaint(dirty);
      // A handle just shown again is not fully drawn by its parent's repaint
      // while no event loop runs; draw it whole itself.
      if (handle_below != nullptr && i == change_step && !out) handle_below->repaint();
    }
    if (observer_) observer_(number, i);
  }
}

}  // namespace quorvel
