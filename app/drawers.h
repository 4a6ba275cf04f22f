// The cabinet's three drawers on the main window and their slide animations.
//
// A drawer is a front picture with a handle button on it. Its state is not
// stored: it is closed exactly when its front's top (kept in twips) equals
// its home value, and out otherwise. A slide moves the front and the handle
// twelve steps of 30 twips, pausing 5 ms before each step without letting
// any other event run, and redraws the moved area after every step.
#pragma once

#include <array>
#include <functional>
#include <utility>

class QWidget;

namespace quorvel {

class DrawerCabinet {
 public:
  static constexpr int kSteps = 12;
  static constexpr int kStepTwips = 30;
  static constexpr int kStepPauseNs = 5'000'000;
  // Step index at which a slide shows or hides the handle below.
  static constexpr int kHideStepOut = 8;
  static constexpr int kShowStepIn = 2;

  struct Drawer {
    QWidget* front = nullptr;
    QWidget* handle = nullptr;
    int front_home = 0;   // twips
    int handle_home = 0;  // twips
  };

  // Drawers 1 to 3, top to bottom, all closed.
  explicit DrawerCabinet(const std::array<Drawer, 3>& drawers);

  void SlideOutDrawer1();
  void SlideInDrawer1();
  void SlideOutDrawer2();
  void SlideInDrawer2();
  void SlideOutDrawer3();
  void SlideInDrawer3();

  // Drawer `number` (1 to 3) slid out or in, as the operations above.
  void SlideOut(int number);
  void SlideIn(int number);

  // A click on drawer `number`'s handle: a closed drawer first has every
  // other drawer that is out slid in (in the order 1, 2, 3), then slides out;
  // a drawer that is out slides in alone.
  void ClickHandle(int number);

  bool IsClosed(int number) const;
  int FrontTop(int number) const;   // twips
  int HandleTop(int number) const;  // twips

  // Called after every step of a slide with the drawer and the step index;
  // tests watch the slide through it.
  void SetStepObserver(std::function<void(int number, int step)> observer) {
    observer_ = std::move(observer);
  }

 private:
  struct State {
    Drawer parts;
    int front_top = 0;
    int handle_top = 0;
  };
  void Slide(int number, int per_step);
  State& At(int number) { return drawers_.at(static_cast<std::size_t>(number - 1)); }
  const State& At(int number) const { return drawers_.at(static_cast<std::size_t>(number - 1)); }

  std::array<State, 3> drawers_;
  std::function<void(int, int)> observer_;
};

}  // namespace quorvel
