#!/usr/bin/env python3
"""Draws the illustrations of the help pages as SVG files in this folder.

Each picture is a simplified drawing of one Quorvel window, laid out in the
window's own pixel coordinates (twips / 15) and scaled down to fit a help
page. Orange frames and numbered badges point at the controls that the page's
steps talk about. Run it again after changing a window here:

    python3 help/pictures/draw_pictures.py
"""

import os
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "Liberation Sans, Arial, sans-serif"

FACE = "#f0f0f0"
EDGE = "#8a8f98"
TITLE = "#2d5da8"
HILITE = "#ff8a00"
BLUE = "#0000ff"
RED = "#ff0000"
DARK_RED = "#c00000"
CYAN = "#80ffff"
MARGIN = 12  # room for the badges at the edges


def tw(v):
    """Twips to pixels."""
    return v / 15.0


class Picture:
    def __init__(self, width, height, scale=1.0):
        self.width = width
        self.height = height
        self.scale = scale
        self.parts = []

    def add(self, s):
        self.parts.append(s)

    # -- primitives -------------------------------------------------------
    def rect(self, x, y, w, h, fill="none", stroke="none", sw=1, rx=0, extra=""):
        self.add(f'<rect x="{x:.1f}" y="{y:.1f}" width="{w:.1f}" height="{h:.1f}" rx="{rx}" '
                 f'fill="{fill}" stroke="{stroke}" stroke-width="{sw}" {extra}/>')

    def line(self, x1, y1, x2, y2, stroke=EDGE, sw=1):
        self.add(f'<line x1="{x1:.1f}" y1="{y1:.1f}" x2="{x2:.1f}" y2="{y2:.1f}" '
                 f'stroke="{stroke}" stroke-width="{sw}"/>')

    def text(self, x, y, s, size=11, anchor="start", weight="normal", fill="#000000", style=""):
        self.add(f'<text x="{x:.1f}" y="{y:.1f}" font-family="{FONT}" font-size="{size}" '
                 f'font-weight="{weight}" fill="{fill}" text-anchor="{anchor}" {style}>{escape(s)}</text>')

    def circle(self, cx, cy, r, fill, stroke="none", sw=1):
        self.add(f'<circle cx="{cx:.1f}" cy="{cy:.1f}" r="{r}" fill="{fill}" stroke="{stroke}" '
                 f'stroke-width="{sw}"/>')

    def path(self, d, fill="none", stroke="#000", sw=1, extra=""):
        self.add(f'<path d="{d}" fill="{fill}" stroke="{stroke}" stroke-width="{sw}" {extra}/>')

    # -- controls ---------------------------------------------------------
    def window(self, w, h, caption):
        """A window of client size w x h at (0, 24); returns the client origin."""
        self.rect(0.5, 0.5, w + 1, h + 25, fill=FACE, stroke="#3b4a63", sw=1, rx=3)
        self.rect(1, 1, w, 23, fill=TITLE, rx=2)
        self.text(8, 17, caption, size=13, weight="bold", fill="#ffffff")
        # close box
        self.rect(w - 22, 4, 18, 16, fill="#c94b4b", rx=2)
        self.path(f"M{w - 17} 8 l8 8 M{w - 9} 8 l-8 8", stroke="#ffffff", sw=1.6)

    def button(self, x, y, w, h, caption, size=11, fill="#e4e6ea", bold=False, enabled=True):
        self.rect(x, y, w, h, fill=fill, stroke="#9ba1ab", rx=2)
        self.text(x + w / 2, y + h / 2 + size * 0.36, caption, size=size, anchor="middle",
                  weight="bold" if bold else "normal", fill="#000000" if enabled else "#9a9a9a")

    def box(self, x, y, w, h, value="", size=11, multiline=False, fill="#ffffff", color="#000000"):
        self.rect(x, y, w, h, fill=fill, stroke="#7a808a")
        if not value:
            return
        lines = value.split("\n") if multiline else [value]
        for i, s in enumerate(lines):
            self.text(x + 4, y + size + 3 + i * (size + 3), s, size=size, fill=color)

    def combo(self, x, y, w, h, value="", size=11):
        self.box(x, y, w, h, value, size=size)
        self.rect(x + w - 17, y + 1, 16, h - 2, fill="#e4e6ea", stroke="#b5bac2")
        cx, cy = x + w - 9, y + h / 2
        self.path(f"M{cx - 4} {cy - 2} l4 4 l4 -4", stroke="#333", sw=1.4)

    def date_picker(self, x, y, w, h, value, size=11):
        self.box(x, y, w, h, value, size=size)
        self.rect(x + w - 20, y + 1, 19, h - 2, fill="#e4e6ea", stroke="#b5bac2")
        bx, by = x + w - 16, y + h / 2 - 5
        self.rect(bx, by, 12, 10, fill="#ffffff", stroke="#555")
        self.rect(bx, by, 12, 3, fill="#c94b4b")

    def label(self, x, y, s, size=11, **kw):
        self.text(x, y + size, s, size=size, **kw)

    def check(self, x, y, caption, ticked=False, size=11):
        self.rect(x, y + 1, 12, 12, fill="#ffffff", stroke="#555")
        if ticked:
            self.path(f"M{x + 2.5} {y + 7} l3 3.5 l5 -7", stroke="#1a3f8a", sw=2)
        self.text(x + 17, y + 11, caption, size=size)

    def frame(self, x, y, w, h, caption, size=11):
        self.rect(x + 0.5, y + size / 2, w - 1, h - size / 2, stroke="#b2b6bd")
        tw_ = len(caption) * size * 0.55 + 6
        self.rect(x + 7, y, tw_, size + 1, fill=FACE)
        self.text(x + 10, y + size - 1, caption, size=size)

    # -- pointers -----------------------------------------------------------
    def mark(self, x, y, w, h, pad=3):
        self.rect(x - pad, y - pad, w + 2 * pad, h + 2 * pad, stroke=HILITE, sw=3, rx=4)

    def badge(self, x, y, n):
        self.circle(x, y, 11, fill=HILITE, stroke="#ffffff", sw=2)
        self.text(x, y + 5, str(n), size=14, anchor="middle", weight="bold", fill="#ffffff")

    def save(self, name):
        m = MARGIN
        vw, vh = self.width + 2 * m, self.height + 2 * m
        sw, sh = vw * self.scale, vh * self.scale
        body = "\n  ".join(self.parts)
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{sw:.0f}" height="{sh:.0f}" '
               f'viewBox="0 0 {vw} {vh}">\n<g transform="translate({m},{m})">\n  {body}\n</g>\n</svg>\n')
        with open(os.path.join(HERE, name), "w", encoding="utf-8") as f:
            f.write(svg)


# ---------------------------------------------------------------------------
# Calendar

def month_calendar(name):
    w, h = 526, 359
    p = Picture(w + 2, h + 26, 0.64)
    p.window(w, h, "Calendar")
    p.add('<g transform="translate(1,24)">')
    p.rect(0, 0, w, h, fill="#ffffff")
    p.rect(0, 0, w, 42, fill="#dfe7f5")
    p.text(w / 2 - 50, 27, "December 2026", size=18, anchor="middle", weight="bold", fill="#1d3557")
    # legend
    p.circle(tw(240) + 9, 9, 7, BLUE)
    p.circle(tw(240) + 9, 26, 7, RED)
    p.text(42, 14, "Birthday", size=11)
    p.text(42, 31, "Appointment", size=11)
    # spinner and Close
    p.rect(tw(4920) - 10, 8, 60, 18, fill="#e4e6ea", stroke="#9ba1ab")
    p.path(f"M{tw(4920) + 2} 13 l-5 4 l5 4 M{tw(4920) + 32} 13 l5 4 l-5 4", stroke="#333", sw=1.6)
    p.line(tw(4920) + 20, 8, tw(4920) + 20, 26, stroke="#9ba1ab")
    p.button(tw(6600), 6, tw(1095), 26, "Close")
    days = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"]
    cw = 72
    for c, d in enumerate(days):
        p.text(14 + c * cw + cw / 2, 62, d, size=12, anchor="middle", weight="bold", fill="#3a4a66")
    # December 2026 starts on a Tuesday: cell 3 holds day 1.
    tops = [70, 118, 166, 214, 262, 310]
    first = 2
    for cell in range(42):
        r, c = divmod(cell, 7)
        x, y = 14 + c * cw, tops[r]
        day = cell - first + 1
        inside = 1 <= day <= 31
        shown = day if inside else (30 + day if day < 1 else day - 31)
        fill = "#ffffff"
        if inside and day == 17:
            fill = "#c9dbff"
        p.rect(x, y, cw - 2, 46, fill=fill, stroke="#d8dce3")
        p.text(x + cw - 8, y + 38, str(shown), size=14, anchor="end",
               fill="#000000" if inside else "#a9aeb8")
        if inside and day in (8, 17, 23):
            p.circle(x + 24, y + 10, 6, RED)
        if inside and day in (12, 25):
            p.circle(x + 9, y + 10, 6, BLUE)
    p.add("</g>")
    # pointers
    p.mark(tw(4920) - 9, 32, 60, 18)
    p.badge(tw(4920) - 20, 60, 1)
    p.mark(1 + 14 + 4 * cw, 24 + 166, cw - 2, 46)
    p.badge(1 + 14 + 5 * cw + 4, 24 + 166 + 4, 2)
    p.save(name)


def activities(name, mark_button=None, badges=()):
    w, h = 480, 330
    p = Picture(w + 2, h + 26, 0.7)
    p.window(w, h, "Activities")
    p.add('<g transform="translate(1,24)">')
    p.date_picker(10, 10, 150, 24, "17/12/2026")
    p.button(172, 10, 110, 24, "View Schedule")
    p.frame(10, 44, 460, 196, "Appointments")
    p.combo(22, 66, 330, 24, "Dentist")
    p.label(22, 100, "Start Time")
    p.box(100, 98, 70, 22, "09:00")
    p.label(190, 100, "End Time")
    p.box(260, 98, 70, 22, "09:30")
    p.check(22, 130, "Reminder", ticked=True)
    p.box(110, 128, 40, 22, "15")
    p.label(158, 131, "Minutes before meeting")
    p.box(22, 160, 330, 68, "Check-up with Dr Ellis,\nbring the insurance card.", multiline=True)
    p.button(370, 66, 88, 28, "Add")
    p.button(370, 102, 88, 28, "Delete")
    p.button(370, 138, 88, 28, "Edit")
    p.frame(10, 250, 350, 66, "Memos")
    p.combo(22, 274, 326, 24, "Birthday - Sutton, Anne ( 36 ) ")
    p.button(380, 286, 88, 30, "OK")
    p.add("</g>")
    spots = {
        "list": (22, 66, 330, 24),
        "schedule": (172, 10, 110, 24),
        "add": (370, 66, 88, 28),
        "delete": (370, 102, 88, 28),
        "edit": (370, 138, 88, 28),
        "ok": (380, 286, 88, 30),
        "date": (10, 10, 150, 24),
        "memos": (22, 274, 326, 24),
    }
    for key in (mark_button or []):
        x, y, bw, bh = spots[key]
        p.mark(x + 1, y + 24, bw, bh)
    for n, key, dx, dy in badges:
        x, y, bw, bh = spots[key]
        p.badge(x + 1 + dx, y + 24 + dy, n)
    p.save(name)


def appointment_editor(name, caption, values):
    w, h = 400, 300
    p = Picture(w + 2, h + 26, 0.8)
    p.window(w, h, caption)
    p.add('<g transform="translate(1,24)">')
    p.frame(10, 8, 380, 240, "Appointments")
    p.box(22, 32, 356, 24, values["subject"])
    p.label(22, 70, "Start Time")
    p.combo(100, 66, 90, 24, values["start"])
    p.label(210, 70, "End Time")
    p.combo(280, 66, 90, 24, values["end"])
    p.check(22, 104, "Reminder", ticked=values["reminder"])
    if values["reminder"]:
        p.box(110, 101, 40, 22, values["minutes"])
        p.label(158, 104, "Minutes before meeting")
    p.box(22, 134, 356, 100, values["description"], multiline=True)
    p.button(290, 260, 100, 30, "OK")
    p.add("</g>")
    p.mark(23, 24 + 32, 356, 24)
    p.badge(14, 24 + 32, 1)
    p.mark(101, 24 + 66, 90, 24)
    p.mark(281, 24 + 66, 90, 24)
    p.badge(95, 24 + 66, 2)
    p.mark(23, 24 + 102, 82, 16)
    p.badge(14, 24 + 104, 3)
    p.mark(291, 24 + 260, 100, 30)
    p.badge(282, 24 + 262, 4)
    p.save(name)


def day_schedule(name):
    w, h = 536, 253
    p = Picture(w + 2, h + 26, 0.64)
    p.window(w, h, "Day Schedule for - 17/12/2026")
    p.add('<g transform="translate(1,24)">')
    gx, gy, gw, gh = 8, 8, tw(7815), tw(3135)
    p.rect(gx, gy, gw, gh, fill="#ffffff", stroke="#7a808a")
    rows = [("Appointment", None), ("Dentist", (4, 5)), ("Team meeting", (5, 9)),
            ("Lunch with Anne", (8, 11))]
    first_w, col_w, row_h = 150, 30, 26
    times = ["07:00", "07:30", "08:00", "08:30", "09:00", "09:30", "10:00", "10:30",
             "11:00", "11:30", "12:00", "12:30"]
    # header
    p.rect(gx, gy, gw, row_h, fill="#e4e6ea")
    p.text(gx + 5, gy + 18, "Appointment", size=12, weight="bold")
    for k, t in enumerate(times):
        x = gx + first_w + k * col_w
        if x + col_w > gx + gw:
            break
        p.text(x + col_w / 2, gy + 18, t, size=9, anchor="middle")
    for r, (subject, span) in enumerate(rows[1:], start=1):
        y = gy + r * row_h
        p.text(gx + 5, y + 18, subject, size=12)
        for k in range(len(times)):
            x = gx + first_w + k * col_w
            if x + col_w > gx + gw:
                break
            if span and span[0] <= k < span[1]:
                p.rect(x, y, col_w, row_h, fill=BLUE)
    total_y = gy + 4 * row_h
    p.rect(gx, total_y, first_w, row_h, fill=CYAN)
    p.text(gx + 5, total_y + 18, "Total Occupation", size=12)
    for k in range(len(times)):
        x = gx + first_w + k * col_w
        if x + col_w > gx + gw:
            break
        n = sum(1 for _, s in rows[1:] if s[0] <= k < s[1])
        if n:
            p.rect(x, total_y, col_w, row_h, fill=RED if n == 1 else DARK_RED)
    for r in range(6):
        p.line(gx, gy + r * row_h, gx + gw, gy + r * row_h, stroke="#c9ccd2", sw=0.8)
    p.line(gx + first_w, gy, gx + first_w, gy + 5 * row_h, stroke="#c9ccd2", sw=0.8)
    for k in range(1, len(times)):
        x = gx + first_w + k * col_w
        if x >= gx + gw:
            break
        p.line(x, gy, x, gy + 5 * row_h, stroke="#c9ccd2", sw=0.8)
    # horizontal scroll bar
    p.rect(gx + 1, gy + gh - 16, gw - 2, 15, fill="#e9ebee")
    p.rect(gx + 20, gy + gh - 13, 140, 9, fill="#b9bec6", rx=4)
    p.date_picker(tw(120), tw(3360), tw(3135), tw(375), "17/12/2026")
    p.button(tw(6720), tw(3360), tw(1215), tw(375), "OK")
    p.add("</g>")
    p.mark(gx + first_w + 8 * col_w + 1, 24 + total_y, col_w, row_h, pad=2)
    p.badge(gx + first_w + 8 * col_w + col_w / 2 + 1, 24 + total_y + row_h + 18, 2)
    p.mark(gx + first_w + 4 * col_w + 1, 24 + gy + row_h, col_w, row_h, pad=2)
    p.badge(gx + first_w + 4 * col_w - 10, 24 + gy + row_h - 8, 1)
    p.mark(tw(120) + 1, 24 + tw(3360), tw(3135), tw(375))
    p.badge(tw(120) + tw(3135) + 16, 24 + tw(3360) + 12, 3)
    p.save(name)


# ---------------------------------------------------------------------------
# Notes

def notes(name, pad, title, notes_list, selected=None, marks=(), badges=()):
    w, h = tw(7470), tw(4890)
    p = Picture(w + 2, h + 26, 0.7)
    p.window(w, h, "Notes")
    p.add('<g transform="translate(1,24)">')
    spots = {
        "pad": (tw(120), tw(120), tw(3135), tw(3615)),
        "list": (tw(3360), tw(120), tw(3975), tw(3615)),
        "clear": (tw(120), tw(3840), tw(1335), tw(375)),
        "view": (tw(4920), tw(3840), tw(1215), tw(375)),
        "delete": (tw(6240), tw(3840), tw(1095), tw(375)),
        "save": (tw(120), tw(4320), tw(1335), tw(375)),
        "title": (tw(1560), tw(4320), tw(2895), tw(375)),
        "close": (tw(6240), tw(4440), tw(1095), tw(375)),
    }
    x, y, bw, bh = spots["pad"]
    p.box(x, y, bw, bh, pad, multiline=True, size=12)
    x, y, bw, bh = spots["list"]
    p.rect(x, y, bw, bh, fill="#ffffff", stroke="#7a808a")
    p.rect(x, y, bw, 22, fill="#e4e6ea")
    p.line(x + tw(500), y, x + tw(500), y + 22 + 22 * len(notes_list), stroke="#c9ccd2")
    p.text(x + 4, y + 16, "Nr.", size=11, weight="bold")
    p.text(x + tw(500) + 4, y + 16, "Description", size=11, weight="bold")
    for i, n in enumerate(notes_list, start=1):
        ry = y + 22 * i
        if selected == i:
            p.rect(x + 1, ry, bw - 2, 22, fill="#c9dbff")
        p.line(x, ry + 22, x + bw, ry + 22, stroke="#dfe2e6")
        p.text(x + 6, ry + 16, str(i), size=11)
        p.text(x + tw(500) + 4, ry + 16, n, size=11)
    p.button(*spots["clear"], "Clear Pad")
    p.button(*spots["view"], "<< View Note")
    p.button(*spots["delete"], "Delete Note")
    p.button(*spots["save"], "Save Note As:")
    x, y, bw, bh = spots["title"]
    p.box(x, y, bw, bh, title)
    p.button(*spots["close"], "Close")
    p.add("</g>")
    for key in marks:
        x, y, bw, bh = spots[key]
        p.mark(x + 1, y + 24, bw, bh)
    for n, key, dx, dy in badges:
        x, y, bw, bh = spots[key]
        p.badge(x + 1 + dx, y + 24 + dy, n)
    p.save(name)


# ---------------------------------------------------------------------------
# Address book

LETTERS = list("ABCDEFGHIJKLMNOP") + ["QR"] + list("STUVW") + ["XYZ", "123"]


def address_book(name, details=False, marks=(), badges=(), entry="Sutton, Anne"):
    w, h = tw(7830), tw(4815)
    p = Picture(w + 2, h + 26, 0.66)
    p.window(w, h, "Address Book")
    p.add('<g transform="translate(1,24)">')
    for i, letter in enumerate(LETTERS):
        x, y = tw(480 * (i % 12)) + 4, (0 if i < 12 else tw(240)) + 4
        p.button(x, y, tw(495), tw(255), letter, size=10, fill="#ffff00" if letter == "S" else "#e4e6ea")
    p.frame(0 + 4, tw(600), tw(5775), tw(735), "Name")
    p.combo(tw(120) + 4, tw(600) + tw(240), tw(5535), tw(315), entry)
    p.button(tw(5880), tw(960), tw(1215), tw(375), "View Address" if details else "View Details")
    p.frame(4, tw(1440), tw(3375), tw(2775), "Telephone Numbers")
    phones = ["Home", "Business #1", "Business #2", "Mobile", "Fax", "Other"]
    values = ["0161 496 0732", "0161 496 0118", "", "07700 900461", "", ""]
    for i, (ph, v) in enumerate(zip(phones, values)):
        top = tw(1440) + tw(360 + 360 * i)
        p.label(tw(120) + 4, top, ph, size=10)
        p.box(tw(1320) + 4, top - 2, tw(1935), tw(285), v, size=10)
    if details:
        p.frame(tw(3480), tw(1440), tw(4215), tw(2775), "Details")
        fx, fy = tw(3480), tw(1440)
        for i, cap in enumerate(["Birthday:", "e-mail:", "Home Page:", "Notes:"]):
            p.label(fx + tw(120), fy + tw(240 + 360 * i), cap, size=10)
        p.box(fx + tw(1200), fy + tw(240), tw(1935), tw(285), "07/03/1990", size=10)
        p.box(fx + tw(1200), fy + tw(600), tw(2895), tw(285), "anne.sutton@example.org", size=10)
        p.box(fx + tw(1200), fy + tw(960), tw(2895), tw(285), "www.example.org/anne", size=10)
        p.box(fx + tw(1200), fy + tw(1320), tw(2895), tw(1335), "Prefers calls\nafter 6 pm.", size=10,
              multiline=True)
    else:
        p.frame(tw(3480), tw(1440), tw(4215), tw(2775), "Address")
        p.box(tw(3480) + tw(120), tw(1440) + tw(240), tw(3975), tw(2415),
              "14 Elm Row\nNorthgate\nManchester M4 6BD", multiline=True, size=11)
    p.button(tw(120), tw(4320), tw(1215), tw(375), "Close")
    p.button(tw(3840), tw(4320), tw(1215), tw(375), "Add Entry")
    p.button(tw(5160), tw(4320), tw(1215), tw(375), "Edit Entry")
    p.button(tw(6480), tw(4320), tw(1215), tw(375), "Delete Entry")
    p.add("</g>")
    spots = {
        "letter": (tw(480 * 5) + 4, tw(240) + 4, tw(495), tw(255)),
        "list": (tw(120) + 4, tw(600) + tw(240), tw(5535), tw(315)),
        "toggle": (tw(5880), tw(960), tw(1215), tw(375)),
        "add": (tw(3840), tw(4320), tw(1215), tw(375)),
        "edit": (tw(5160), tw(4320), tw(1215), tw(375)),
        "delete": (tw(6480), tw(4320), tw(1215), tw(375)),
    }
    for key in marks:
        x, y, bw, bh = spots[key]
        p.mark(x + 1, y + 24, bw, bh)
    for n, key, dx, dy in badges:
        x, y, bw, bh = spots[key]
        p.badge(x + 1 + dx, y + 24 + dy, n)
    p.save(name)


def address_editor(name, caption, v):
    w, h = tw(7725), tw(6480)
    p = Picture(w + 2, h + 26, 0.66)
    p.window(w, h, caption)
    p.add('<g transform="translate(1,24)">')
    caps = ["Name:", "Surname:", "Address:", "e-mail:", "Home Page:", "Notes:"]
    tops = [240, 600, 960, 2640, 3000, 3360]
    for cap, top in zip(caps, tops):
        p.label(tw(120), tw(top), cap)
    p.box(tw(1320), tw(240), tw(4695), tw(285), v["name"])
    p.box(tw(1320), tw(600), tw(4695), tw(285), v["surname"])
    p.box(tw(1320), tw(960), tw(4695), tw(1125), v["address"], multiline=True)
    p.check(tw(120), tw(2280), "Birthday", ticked=v["birthday"])
    p.date_picker(tw(1320), tw(2160), tw(2895), tw(375), v["date"])
    p.box(tw(1320), tw(2640), tw(4695), tw(285), v["email"])
    p.box(tw(1320), tw(3000), tw(4695), tw(285), v["home"])
    p.box(tw(1320), tw(3360), tw(2415), tw(1125), v["notes"], multiline=True)
    p.frame(tw(120), tw(4680), tw(7455), tw(1575), "Phone Numbers")
    phones = ["Home", "Business #1", "Business #2", "Mobile", "Fax", "Other"]
    for i, ph in enumerate(phones):
        col, row = divmod(i, 3)
        lx = tw(120) + (tw(120) if col == 0 else tw(3840))
        bx = tw(120) + (tw(1320) if col == 0 else tw(5040))
        top = tw(4680) + tw(360 + 360 * row)
        p.label(lx, top, ph, size=10)
        p.box(bx, top - 2, tw(2175), tw(285), v["phones"][i], size=10)
    p.button(tw(6240), tw(240), tw(1335), tw(375), "OK")
    if v["cancel"]:
        p.button(tw(6240), tw(720), tw(1335), tw(375), "Cancel")
    p.add("</g>")
    p.mark(tw(1320) + 1, 24 + tw(600), tw(4695), tw(285))
    p.badge(tw(1320) - 12, 24 + tw(600) + 10, 1)
    p.mark(tw(120) + 1, 24 + tw(2160), tw(1320) + tw(2895) - tw(120), tw(375))
    p.badge(tw(1320) + tw(2895) + 16, 24 + tw(2160) + 12, 2)
    p.mark(tw(6240) + 1, 24 + tw(240), tw(1335), tw(375))
    p.badge(tw(6240) - 14, 24 + tw(240) + 12, 3)
    p.save(name)


# ---------------------------------------------------------------------------
# Main window

def desk(name):
    """The main window with the top drawer pulled out, and labels beside it."""
    w, h = 336, 335
    p = Picture(w + 2 + 160, h + 26, 0.68)
    p.window(w, h, "Quorvel")
    p.add('<g transform="translate(1,24)">')
    # background tiles
    p.rect(0, 0, w, h, fill="#c9b38c")
    for r in range(4):
        for c in range(7):
            x, y = c * 54, 120 + r * 54
            p.rect(x, y, min(53, w - x), min(53, h - y), fill="#cdb994" if (r + c) % 2 else "#c4ad85")
    # work surface
    p.rect(tw(120), tw(240), tw(4695), tw(2175), fill="#8b5a2b", stroke="#5e3a17", sw=2, rx=4)
    p.rect(tw(120) + 6, tw(240) + 6, tw(4695) - 12, tw(2175) - 12, fill="#9c6a38", rx=3)
    # file icon
    p.rect(tw(240), tw(120), tw(840), tw(600), fill="#f2d16b", stroke="#9a7a1c", rx=3)
    p.rect(tw(240), tw(120) - 5, 22, 8, fill="#f2d16b", stroke="#9a7a1c", rx=2)
    p.text(tw(240) + tw(420), tw(120) + 26, "File", size=11, anchor="middle", weight="bold")
    # clipboard
    cx, cy, cw, ch = tw(360), tw(960), tw(735), tw(900)
    p.rect(cx, cy, cw, ch, fill="#b07a3e", stroke="#5e3a17", rx=3)
    p.rect(cx + 5, cy + 8, cw - 10, ch - 12, fill="#ffffff")
    p.rect(cx + cw / 2 - 10, cy - 3, 20, 9, fill="#9aa2ad", stroke="#555", rx=2)
    for i in range(4):
        p.line(cx + 10, cy + 20 + i * 10, cx + cw - 10, cy + 20 + i * 10, stroke="#8aa2cc")
    # calendar
    kx, ky, kw, kh = tw(1680), tw(1200), tw(1575), tw(1095)
    p.rect(kx, ky, kw, kh, fill="#ffffff", stroke="#555", rx=2)
    p.rect(kx, ky, kw, 16, fill="#c0392b", rx=2)
    p.text(kx + kw / 2, ky + 12, "DECEMBER", size=9, anchor="middle", weight="bold", fill="#ffffff")
    for r in range(4):
        for c in range(7):
            p.rect(kx + 6 + c * 14.5, ky + 22 + r * 12, 12, 9, fill="#e8ecf3")
    # calendar icon
    p.rect(tw(2880), tw(840), tw(480), tw(600), fill="#ffffff", stroke="#555", rx=2)
    p.rect(tw(2880), tw(840), tw(480), 10, fill="#c0392b", rx=2)
    p.text(tw(2880) + tw(240), tw(840) + 33, "17", size=13, anchor="middle", weight="bold")
    # contacts icon
    p.circle(tw(4080) + 20, tw(480) + 14, 8, "#f5d0a9", stroke="#555")
    p.path(f"M{tw(4080) + 6} {tw(480) + 38} q14 -20 28 0 z", fill="#4a78c2", stroke="#555")
    # telephone
    tx, ty = tw(3480), tw(1320)
    p.rect(tx + 10, ty + 14, 60, 22, fill="#2f2f2f", rx=6)
    p.path(f"M{tx + 4} {ty + 10} q36 -18 72 0 l-6 8 q-30 -12 -60 0 z", fill="#444", stroke="#222")
    p.circle(tx + 40, ty + 25, 7, "#dddddd", stroke="#222")
    # cabinet body and decorative picture on the right
    bx, by = tw(120), tw(2400)
    p.rect(bx, by, tw(1335), tw(1455), fill="#6d4c2f", stroke="#3d2a18", sw=2)
    p.rect(tw(3480), tw(2400), tw(1335), tw(1455), fill="#7f9fb8", stroke="#3d5a73", sw=2, rx=3)
    p.circle(tw(3480) + 45, tw(2400) + 40, 14, "#ffe27a")
    p.path(f"M{tw(3480) + 5} {tw(2400) + 92} l30 -30 l20 18 l18 -14 l14 26 z", fill="#4e7d4e")
    # name plate of drawer 1, uncovered
    p.rect(tw(240), tw(2520), tw(855), tw(255), fill="#ffffc0", stroke="#9a8a40")
    p.text(tw(240) + tw(855) / 2, tw(2520) + 12.5, "Calendar", size=8.5, anchor="middle", weight="bold")
    # drawer 1 pulled out by 360 twips, drawers 2 and 3 closed
    for i, (top, handle) in enumerate([(2400 + 360, 2640 + 360), (2880, 3120), (3360, 3600)]):
        if i == 1:
            continue  # drawer 2 is hidden under drawer 1 where they overlap; drawn below
        fill = "#a47148" if i == 0 else "#94653f"
        p.rect(bx, tw(top), tw(1335), tw(495), fill=fill, stroke="#3d2a18", sw=1.5, rx=2)
        p.rect(tw(600), tw(handle), tw(375), tw(135), fill="#800000", rx=2)
    # drawer 2 partly covered by drawer 1
    p.rect(bx, tw(2400 + 360 + 495), tw(1335), tw(2880 + 495) - tw(2400 + 360 + 495), fill="#94653f",
           stroke="#3d2a18", sw=1.5)
    p.add("</g>")
    # labels on the right
    def callout(tx_, ty_, px, py, s, n):
        p.path(f"M{px:.1f} {py:.1f} L{tx_ - 14:.1f} {ty_:.1f}", stroke=HILITE, sw=2)
        p.circle(px, py, 3.5, HILITE)
        p.badge(tx_, ty_, n)
        p.text(tx_ + 16, ty_ + 5, s, size=13, weight="bold", fill="#1d3557")
    lx = w + 26
    # in the order of the things pointed at, top to bottom, so no lines cross
    callout(lx, 40, 1 + tw(240) + 44, 24 + tw(120) + 14, "File menu", 1)
    callout(lx, 90, 1 + tw(2880) + 16, 24 + tw(840) + 20, "Calendar", 2)
    callout(lx, 140, 1 + tw(3480) + 60, 24 + tw(1320) + 20, "Address Book", 3)
    callout(lx, 190, 1 + tw(360) + 40, 24 + tw(960) + 52, "Notes", 4)
    callout(lx, 240, 1 + tw(240) + 50, 24 + tw(2520) + 9, "Name plate", 5)
    callout(lx, 290, 1 + tw(600) + 12, 24 + tw(3000) + 5, "Drawer handle", 6)
    p.save(name)


def main():
    address_editor("address_add.svg", "Add Address Book Entry", {
        "name": "Anne", "surname": "Sutton", "address": "14 Elm Row\nNorthgate\nManchester M4 6BD",
        "birthday": True, "date": "07/03/1990", "email": "anne.sutton@example.org",
        "home": "www.example.org/anne", "notes": "Prefers calls\nafter 6 pm.",
        "phones": ["0161 496 0732", "0161 496 0118", "", "07700 900461", "", ""], "cancel": True})
    address_book("address_view.svg", marks=["letter", "list", "toggle"],
                 badges=[(1, "letter", -10, -6), (2, "list", -8, 12), (3, "toggle", -8, 12)])
    address_book("address_details.svg", details=True, marks=["toggle"], badges=[(3, "toggle", -8, 12)])
    address_editor("address_edit.svg", "Edit Address Book Entry", {
        "name": "Anne", "surname": "Sutton", "address": "3 Canal Street\nAncoats\nManchester M4 5AB",
        "birthday": True, "date": "07/03/1990", "email": "anne.sutton@example.org",
        "home": "www.example.org/anne", "notes": "Moved in May.",
        "phones": ["0161 496 0999", "0161 496 0118", "", "07700 900461", "", ""], "cancel": False})
    address_book("address_delete.svg", marks=["list", "delete"],
                 badges=[(1, "list", -8, 12), (2, "delete", -10, 14)])


if __name__ == "__main__":
    main()
