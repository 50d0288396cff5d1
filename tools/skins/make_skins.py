#!/usr/bin/python3
"""Draws the program's own skins into skins/<Name>/: the description Options.dat, the master
bitmap and the image files it names. Deterministic: the same script gives the same texts and
pixels. Run from anywhere with the distribution's Python (its Pillow): /usr/bin/python3 tools/skins/make_skins.py [OUTDIR]

The look follows shared/skin-design.md: flat surfaces, 1-px borders, small radii, one accent
colour. Every image is drawn at 96 PPI; the images that must stay crisp at 150 % are drawn a
second time for their "*150" keys.

What the three skins show of the image notation and the description (the loader's tests and
the controls rely on it):
  Dark    24-bit BMP master: keyed images (magenta corners) and masked images (a mask part
          below, its inverted brightness the alpha); "^", "~", "@", "!" kinds 0-4, a bare .BMP
          and a bare .JPG, one "&" value; SH_SOURCE=1 with SH_MASK, LO_SOURCE=0; OUTERMODE 1-4.
  Light   32-bit PNG master with alpha (drawing mode 16); no TRANSPARENT section; "*150" images
          and a "*150" number; generated outer effects; the DejaVu Sans font embedded.
  Neutral the fallback: a plain BMP master.
"""
import os
import shutil
import struct
import sys

from PIL import Image, ImageDraw

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
KEY = (255, 0, 255)

PALETTES = {
    # window, surface, border, text, secondary, accent, edit, title
    'Neutral': dict(window='#ECECEC', surface='#F7F7F7', border='#BDBDBD', text='#202020',
                    secondary='#5A5A5A', accent='#2F6FB3', edit='#FFFFFF', title='#D9D9D9'),
    'Dark': dict(window='#1E1F22', surface='#2B2D31', border='#3C3F45', text='#E6E7EA',
                 secondary='#A0A4AB', accent='#4C8DFF', edit='#1A1B1E', title='#17181B'),
    'Light': dict(window='#F5F6F8', surface='#FFFFFF', border='#D5D9E0', text='#1F2328',
                  secondary='#5B6270', accent='#2563EB', edit='#FFFFFF', title='#E9ECF1'),
}
GREEN = (46, 160, 67)
RED = (218, 54, 51)


def rgb(h):
    h = h.lstrip('#')
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def tcolor(c):
    """A colour as the description writes it: decimal 0x00BBGGRR."""
    r, g, b = c
    return str(b << 16 | g << 8 | r)


def shade(c, f):
    """Lighter (f > 0) or darker (f < 0) by a share of the way to white or black."""
    if f >= 0:
        return tuple(round(v + (255 - v) * f) for v in c)
    return tuple(round(v * (1 + f)) for v in c)


def mix(a, b, w):
    return tuple(round(x * w + y * (1 - w)) for x, y in zip(a, b))


# ---- drawing primitives (RGBA, 4x supersampled edges, then reduced) -------------------------------

SS = 4


def rounded(w, h, radius, fill, border=None, width=1, sides=(1, 1, 1, 1)):
    """A flat rounded box of w x h with a border; RGBA with soft corners."""
    big = Image.new('RGBA', (w * SS, h * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    r = radius * SS
    if border is not None:
        d.rounded_rectangle((0, 0, w * SS - 1, h * SS - 1), r, fill=border + (255,))
        inset = width * SS
        d.rounded_rectangle((inset * sides[0], inset * sides[1], w * SS - 1 - inset * sides[2],
                             h * SS - 1 - inset * sides[3]), max(0, r - inset), fill=fill + (255,))
    else:
        d.rounded_rectangle((0, 0, w * SS - 1, h * SS - 1), r, fill=fill + (255,))
    return big.resize((w, h), Image.BOX)


def circle(size, fill, border=None, dot=None, scale=1):
    big = Image.new('RGBA', (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.ellipse((0, 0, size * SS - 1, size * SS - 1), fill=(border or fill) + (255,))
    if border:
        i = SS * scale
        d.ellipse((i, i, size * SS - 1 - i, size * SS - 1 - i), fill=fill + (255,))
    if dot:
        i = size * SS * 3 // 10
        d.ellipse((i, i, size * SS - 1 - i, size * SS - 1 - i), fill=dot + (255,))
    return big.resize((size, size), Image.BOX)


def lines(size, color, segments, width=1.6):
    """Strokes in a size x size box; segments in 0..1 coordinates."""
    big = Image.new('RGBA', (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    for seg in segments:
        pts = [(x * size * SS, y * size * SS) for x, y in seg]
        d.line(pts, fill=color + (255,), width=max(1, round(width * SS)), joint='curve')
    return big.resize((size, size), Image.BOX)


def over(top, bottom):
    """top composed over an opaque or transparent bottom of the same size."""
    out = bottom.copy()
    out.alpha_composite(top)
    return out


def strip(frames):
    """Frames side by side."""
    w = sum(f.width for f in frames)
    h = max(f.height for f in frames)
    out = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.width
    return out


# ---- master bitmap and its packing -----------------------------------------------------------

class Master:
    """Images packed in rows into one picture. Modes: 'key' (24-bit, magenta where alpha < 50%;
    the painter treats magenta as see-through only in a border image's corners, so its sides and
    centre must be opaque),
    'mask' (24-bit, colour part over a mask part, mask grey = 255 - alpha), 'alpha' (32-bit)."""

    def __init__(self, width):
        self.width = width
        self.items = []   # (x, y, image, mode)
        self.x = self.y = self.row = 0

    def place(self, img, mode):
        h = img.height * (2 if mode == 'mask' else 1)
        if self.x + img.width > self.width:
            self.x, self.y, self.row = 0, self.y + self.row + 1, 0
        x, y = self.x, self.y
        self.items.append((x, y, img, mode))
        self.x += img.width + 1
        self.row = max(self.row, h)
        return x, y, x + img.width, y + h

    def render(self, rgba):
        return self.render_size(rgba, self.width, self.y + self.row + 1)

    def render_size(self, rgba, width, height):
        if rgba:
            out = Image.new('RGBA', (self.width, height), (0, 0, 0, 0))
        else:
            out = Image.new('RGB', (self.width, height), KEY)
        for x, y, img, mode in self.items:
            if mode == 'alpha':
                out.paste(img, (x, y))
            elif mode == 'key':
                a = img.getchannel('A').point(lambda v: 255 if v >= 128 else 0)
                key = Image.new('RGB', img.size, KEY)
                key.paste(img.convert('RGB'), (0, 0), a)
                out.paste(key if not rgba else key.convert('RGBA'), (x, y))
            else:  # mask
                colour = img.convert('RGB')
                mask = img.getchannel('A').point(lambda v: 255 - v).convert('RGB')
                out.paste(colour if not rgba else colour.convert('RGBA'), (x, y))
                out.paste(mask if not rgba else mask.convert('RGBA'), (x, y + img.height))
        return out


def flatten(img, mode):
    """One image as a file of its own, exactly its size (a mask part doubles the height)."""
    m = Master(img.width)
    m.place(img, mode)
    return m.render_size(False, img.width, img.height * (2 if mode == 'mask' else 1))


def n4(v):
    return '%04d' % v


def border_value(rect, widths, frames, masks, mode):
    l, t, r, b = rect
    return '^' + '^'.join([n4(l), n4(t), n4(r), n4(b)] + [n4(w) for w in widths] +
                          [str(frames), str(masks), str(mode)])


def texture_value(rect, mode, masks=0):
    l, t, r, b = rect
    return '~' + '~'.join([n4(l), n4(t), n4(r), n4(b), '%02d' % mode, str(masks)])


def glyph_value(rect, frames, masks=0):
    l, t, r, b = rect
    return '@' + '@'.join([n4(l), n4(t), n4(r), n4(b), str(frames), str(masks)])


def canonical_value(rect, widths, frames, masks, kind, mode, name=''):
    l, t, r, b = rect
    return '&' + ''.join(n4(v) for v in (l, t, r, b)) + ''.join(n4(w) for w in widths) + \
        '%d%d%d%02d000000%s' % (frames, masks, kind, mode, name)


# ---- the skin ----------------------------------------------------------------------------------

class Skin:
    def __init__(self, name, pal, master_mode):
        self.name = name
        self.p = {k: rgb(v) for k, v in pal.items()}
        self.mode = master_mode          # 'bmp' or 'png'
        self.master = Master(512)
        self.sections = {}               # name -> list of (key, value)
        self.order = []
        self.files = {}                  # file name -> bytes or PIL image

    def sec(self, name, **kv):
        if name not in self.sections:
            self.sections[name] = []
            self.order.append(name)
        for k, v in kv.items():
            self.set(name, k, v)

    def set(self, section, key, value):
        key = key.replace('__', '*')
        items = self.sections[section]
        for i, (k, _) in enumerate(items):
            if k == key:
                items[i] = (key, str(value))
                return
        items.append((key, str(value)))

    # drawing mode bits: 1 stretch, 4 fill the centre, 16 per-pixel alpha
    def dm(self, fill=True, stretch=True):
        return (4 if fill else 0) | (1 if stretch else 0) | (16 if self.mode == 'png' else 0)

    # A glyph image: the short "@" form on a keyed master; on an alpha master the canonical form,
    # since "@" carries no drawing mode and the glyph's see-through pixels need their alpha.
    def glyph(self, rect, frames):
        if self.mode == 'png':
            return canonical_value(rect, (0, 0, 0, 0), frames, 0, 2, self.dm(False, False))
        return glyph_value(rect, frames)

    def place(self, img, masked=False):
        if self.mode == 'png':
            return self.master.place(img, 'alpha')
        return self.master.place(img, 'mask' if masked else 'key')

    def text(self):
        out = []
        for s in self.order:
            out.append('[%s]' % s)
            out += ['%s=%s' % kv for kv in self.sections[s]]
            out.append('')
        return '\r\n'.join(out) + '\r\n'


def states(s, base, hover=0.06, press=-0.08):
    """Normal, hot and pressed surface colours."""
    return [base, shade(base, hover if sum(base) < 384 else -0.04), shade(base, press)]


def box_frames(s, w, h, radius, fills, borders, width=1, scale=1):
    return strip([rounded(w * scale, h * scale, radius * scale, f, b, width * scale) for f, b in zip(fills, borders)])


def build(name):
    pal = PALETTES[name]
    skin = Skin(name, pal, 'png' if name == 'Light' else 'bmp')
    p = skin.p
    masked = name == 'Dark'   # Dark shows mask parts beside keyed images
    dark = name == 'Dark'
    win, surf, border, text, sec, acc, edit, title = (p[k] for k in (
        'window', 'surface', 'border', 'text', 'secondary', 'accent', 'edit', 'title'))
    accent_text = (255, 255, 255)
    master_name = 'MASTER.PNG' if skin.mode == 'png' else 'Master.bmp'

    g = 'GLOBALINFO'
    skin.sec(g, VERSION={'Neutral': '8', 'Dark': '8', 'Light': '10'}[name],
             AUTHOR='Qwelta', DESCRIPTION='%s theme of the wheel configuration tool' % name,
             MASTERBITMAP=master_name, COLOR=tcolor(win), FONTCOLOR=tcolor(text),
             BORDERCOLOR=tcolor(border), TCBOTTOM=tcolor(acc), TCTOP=tcolor(shade(acc, 0.2)),
             EDITTEXT_OK=tcolor(GREEN), EDITTEXT_ALERT=tcolor(RED), GRIDLINE=tcolor(border),
             TITLEHEIGHT=30, BORDERWIDTH=4, FORMOFFSET=4, BISPACE=0, BIRIGHT=0, BITOP=0,
             WSHSIZE=13, SHADOW1COLOR=tcolor((0, 0, 0)), SHADOW1OFFSET=1, SHADOW1BLUR=2)
    if name == 'Light':
        skin.set(g, 'WSHSIZE__150', 20)      # a step-specific number, used unscaled
        skin.set(g, 'MainFont', 'DejaVu Sans')
        skin.set(g, 'FontCount', 1)
        skin.set(g, 'FontFile0', 'DejaVuSans.ttf')
        skin.set(g, 'FontName0', 'DejaVu Sans')

    # ---- title buttons (close turns red on hover) ----
    def title_button(glyph, scale=1, close=False):
        size, gs = round(30 * scale), round(10 * scale)
        frames = []
        for st in range(3):
            bg = [title, shade(title, 0.10 if dark else -0.06), shade(title, -0.12)][st]
            if close and st > 0:
                bg = RED if st == 1 else shade(RED, -0.15)
            fg = accent_text if close and st > 0 else text
            base = Image.new('RGBA', (size * 3 // 2, size), bg + (255,))
            base.alpha_composite(glyph(gs, fg), ((size * 3 // 2 - gs) // 2, (size - gs) // 2))
            frames.append(base)
        return strip(frames)

    glyph_close = lambda s, c: lines(s, c, [[(0.05, 0.05), (0.95, 0.95)], [(0.95, 0.05), (0.05, 0.95)]], 1.2 * s / 10)
    glyph_max = lambda s, c: lines(s, c, [[(0.05, 0.05), (0.95, 0.05), (0.95, 0.95), (0.05, 0.95), (0.05, 0.05)]], 1.0 * s / 10)
    glyph_min = lambda s, c: lines(s, c, [[(0.05, 0.55), (0.95, 0.55)]], 1.0 * s / 10)
    glyph_norm = lambda s, c: lines(s, c, [[(0.05, 0.3), (0.7, 0.3), (0.7, 0.95), (0.05, 0.95), (0.05, 0.3)],
                                           [(0.3, 0.3), (0.3, 0.05), (0.95, 0.05), (0.95, 0.7), (0.7, 0.7)]], 1.0 * s / 10)
    glyph_help = lambda s, c: lines(s, c, [[(0.3, 0.3), (0.4, 0.08), (0.62, 0.08), (0.72, 0.3), (0.5, 0.55), (0.5, 0.72)],
                                           [(0.5, 0.88), (0.5, 0.95)]], 1.2 * s / 10)
    if name == 'Light':
        # A PNG glyph file of its own ("!" kind 4) for the close button, at 96 PPI and at 150 %.
        skin.files['CLOSE.PNG'] = title_button(glyph_close, 1, True)
        skin.files['CLOSE150.PNG'] = title_button(glyph_close, 1.5, True)
        skin.set(g, 'BICONCLOSE', '!CLOSE.PNG!3!0!4')
        skin.set(g, 'BICONCLOSE__150', '!CLOSE150.PNG!3!0!4')
    else:
        r = skin.place(title_button(glyph_close, 1, True))
        skin.set(g, 'BICONCLOSE', skin.glyph(r, 3))
    for key, glyph in (('BICONMAX', glyph_max), ('BICONMIN', glyph_min), ('BICONNORM', glyph_norm),
                       ('BICONHELP', glyph_help)):
        r = skin.place(title_button(glyph))
        skin.set(g, key, skin.glyph(r, 3))
    # The close button's glow: one frame, soft red.
    glow = circle(16, shade(RED, 0.3)) if not dark else circle(16, RED)
    glow_big = Image.new('RGBA', (24, 24), (0, 0, 0, 0))
    glow_big.alpha_composite(glow, (4, 4))
    skin.files['CLOSEGLOW.PNG'] = glow_big
    skin.set(g, 'BICONCLOSEGLOW', 1)
    skin.set(g, 'BICONCLOSEGLOW0', '!CLOSEGLOW.PNG!1!0!3!0008!0008!0008!0008!1')
    skin.set(g, 'BICONCLOSEGLOWMARGIN', 4)

    # ---- check boxes and radio buttons (14 px, accent when checked) ----
    def check(kind, scale=1):
        s = 14 * scale
        frames = []
        for st in range(3):
            if kind == 'unchecked':
                f = rounded(s, s, 3 * scale, edit if st < 2 else shade(edit, -0.08), acc if st == 1 else shade(border, 0.1 if not dark else 0.25))
            else:
                fill = [acc, shade(acc, 0.12), shade(acc, -0.12)][st]
                f = rounded(s, s, 3 * scale, fill, fill)
                if kind == 'checked':
                    f.alpha_composite(lines(s, accent_text, [[(0.22, 0.52), (0.42, 0.72), (0.8, 0.3)]], 1.8 * scale))
                else:
                    f.alpha_composite(lines(s, accent_text, [[(0.25, 0.5), (0.75, 0.5)]], 1.8 * scale))
            frames.append(f)
        return strip(frames)

    def radio(on):
        frames = []
        for st in range(3):
            if on:
                fill = [acc, shade(acc, 0.12), shade(acc, -0.12)][st]
                frames.append(circle(14, fill, None, accent_text))
            else:
                frames.append(circle(14, edit, acc if st == 1 else shade(border, 0.1 if not dark else 0.25)))
        return strip(frames)

    if dark:
        # Check-box glyphs as an image file ("!" kind 2) in a bitmap of their own, keyed.
        skin.files['CHECKED.BMP'] = flatten(check('checked'), 'key')
        skin.set(g, 'BOXCHECKED', '!CHECKED.BMP!3!0!2')
    else:
        r = skin.place(check('checked'))
        skin.set(g, 'BOXCHECKED', skin.glyph(r, 3))
    for key, kind in (('BOXUNCHECKED', 'unchecked'), ('BOXGRAYED', 'grayed')):
        r = skin.place(check(kind))
        skin.set(g, key, skin.glyph(r, 3))
    for key, on in (('RADIOCHECKED', True), ('RADIOUNCHECKED', False)):
        r = skin.place(radio(on))
        skin.set(g, key, skin.glyph(r, 3))
    grip = lines(12, sec, [[(0.9, 0.3), (0.3, 0.9)], [(0.9, 0.65), (0.65, 0.9)]], 1.2)
    r = skin.place(grip)
    skin.set(g, 'GRIPIMAGE', skin.glyph(r, 1))

    # ---- outer effects of windows ----
    if dark:
        # The shadow from the skin: a soft dark frame with a mask part; the light outline off.
        sh = Image.new('RGBA', (24, 24), (0, 0, 0, 0))
        d = ImageDraw.Draw(sh)
        for i in range(8):
            d.rounded_rectangle((i, i, 23 - i, 23 - i), 8, outline=(0, 0, 0, 14 + i * 22))
        r = skin.master.place(sh, 'mask')
        skin.set(g, 'SH_SOURCE', 1)
        skin.set(g, 'SH_MASK', border_value(r, (8, 8, 8, 8), 1, 1, 1))
        skin.set(g, 'SH_OFFSETL', 3)
        skin.set(g, 'SH_OFFSETR', 3)
        skin.set(g, 'SH_OFFSETT', 2)
        skin.set(g, 'SH_OFFSETB', 5)
        skin.set(g, 'SH_OPACITY', 80)
        skin.set(g, 'LO_SOURCE', 0)

    # ---- sections ----
    def border_section(section, w, h, radius, fills, borders, frames, widths, key='BORDERSMASK',
                       masked_img=False, star150=False, mode=None):
        img = box_frames(skin, w, h, radius, fills, borders)
        r = skin.place(img, masked_img)
        m = 1 if masked_img and skin.mode == 'bmp' else 0
        skin.set(section, key, border_value(r, widths, frames, m, skin.dm() if mode is None else mode))
        if star150:
            img2 = box_frames(skin, w * 3 // 2, h * 3 // 2, radius * 3 // 2, fills, borders)
            r2 = skin.place(img2, masked_img)
            skin.set(section, key + '__150',
                     border_value(r2, [v * 3 // 2 for v in widths], frames, m, skin.dm() if mode is None else mode))
        return r

    def colours(section, normal, fc=text, hot=None, hotfc=None, states_n=3):
        skin.sec(section, COLOR=tcolor(normal), FONTCOLOR=tcolor(fc), STATES=states_n)
        if hot is not None:
            skin.set(section, 'HOTCOLOR', tcolor(hot))
            skin.set(section, 'HOTFONTCOLOR', tcolor(hotfc or fc))

    # Form and dialog: the window background; the dialog takes everything from the form.
    colours('FORM', win, hot=win, states_n=1)
    skin.set('FORM', 'TRANSPARENCY', 0)
    skin.set('FORM', 'OUTERMODE', 0)
    if dark:
        # A bare .JPG texture (the page-free background under the form), at 1 % so it whispers.
        tex = Image.new('RGB', (32, 32), win)
        d = ImageDraw.Draw(tex)
        for i in range(0, 32, 4):
            d.point((i, (i * 7) % 32), fill=shade(win, 0.04))
        import io
        buf = io.BytesIO()
        tex.save(buf, 'JPEG', quality=95, optimize=False, progressive=False)
        skin.files['FORMTEX.JPG'] = buf.getvalue()
        skin.set('FORM', 'PATTERN', 'FORMTEX.JPG')
        skin.set('FORM', 'IMAGEPERCENT', 0)
    skin.sec('DIALOG', PARENTCLASS='FORM')
    # Title bars: a whisper gradient (4 % over the height).
    top, bottom = shade(title, 0.04 if dark else 0.03), title
    colours('FORMTITLE', title, hot=title, states_n=2)
    skin.set('FORMTITLE', 'GRADIENTPERCENT', 100)
    skin.set('FORMTITLE', 'GRADIENTDATA', '%s;0;100;0;0;%s;0;0;0;0' % (tcolor(top), tcolor(bottom)))
    skin.set('FORMTITLE', 'HOTGRADIENTPERCENT', 100)
    skin.set('FORMTITLE', 'HOTGRADIENTDATA', '%s;0;100;0;0;%s;0;0;0;0' % (tcolor(top), tcolor(bottom)))
    skin.set('FORMTITLE', 'OUTERMODE', 0)
    skin.sec('DIALOGTITLE', PARENTCLASS='FORMTITLE')

    # Menus.
    colours('MAINMENU', title, hot=title, states_n=1)
    colours('MENUITEM', surf, text, hot=acc, hotfc=accent_text)
    border_section('MENUITEM', 12, 12, 3, [surf, acc, shade(acc, -0.1)], [surf, acc, shade(acc, -0.1)], 3, (3, 3, 3, 3))
    colours('MENULINE', surf, sec, states_n=1)
    ml = Image.new('RGBA', (8, 5), surf + (255,))
    ImageDraw.Draw(ml).line((0, 2, 7, 2), fill=border + (255,))
    r = skin.place(ml)
    skin.set('MENULINE', 'BORDERSMASK', border_value(r, (2, 2, 2, 2), 1, 0, skin.dm()))
    colours('DIVIDERV', win, states_n=1)
    # The divider's line on its own colour: nothing of it is see-through but its corners.
    dv = Image.new('RGBA', (5, 8), win + (255,))
    ImageDraw.Draw(dv).line((2, 0, 2, 7), fill=border + (255,))
    r = skin.place(dv)
    skin.set('DIVIDERV', 'BORDERSMASK', border_value(r, (2, 2, 2, 2), 1, 0, skin.dm()))

    # Buttons: keyed corners in Dark; the second active state (focused/default) in accent.
    bfill = states(skin, surf if dark else shade(surf, -0.02))
    bborder = [border, shade(border, 0.15 if dark else -0.1), acc]
    colours('BUTTON', bfill[0], text, hot=bfill[1])
    skin.set('BUTTON', 'USESTATE2', 1)
    skin.set('BUTTON', 'COLOR2', tcolor(bfill[2]))
    skin.set('BUTTON', 'FONTCOLOR2', tcolor(text))
    skin.set('BUTTON', 'GLOW', 1)
    skin.set('BUTTON', 'GLOWMARGIN', 3)
    skin.set('BUTTON', 'GCOL', tcolor(acc))
    skin.set('BUTTON', 'HGCOL', tcolor(acc))
    skin.set('BUTTON', 'GSIZE', 3)
    skin.set('BUTTON', 'HGSIZE', 4)
    skin.set('BUTTON', 'OUTERMODE', 0)
    border_section('BUTTON', 24, 22, 3, bfill, bborder, 3, (4, 4, 4, 4), star150=(name == 'Light'))
    colours('SPEEDBUTTON_SMALL', win, text, hot=shade(win, 0.06 if dark else -0.05))
    border_section('SPEEDBUTTON_SMALL', 12, 12, 3, [win, shade(win, 0.06 if dark else -0.05), shade(win, -0.08)],
                   [win, border, border], 3, (3, 3, 3, 3))
    if dark:
        # The huge button's border as an image file of its own ("!" kind 0): 3 frames, a mask part.
        skin.files['BUTTONHUGE.BMP'] = flatten(box_frames(skin, 40, 40, 3, bfill, bborder), 'mask')
        colours('BUTTON_HUGE', bfill[0], text, hot=bfill[1])
        skin.set('BUTTON_HUGE', 'PARENTCLASS', 'BUTTON')
        skin.set('BUTTON_HUGE', 'BORDERSMASK', '!BUTTONHUGE.BMP!3!1!0!0008!0008!0008!0008!5')
        skin.set('BUTTON_HUGE', 'OUTERMODE', 1)
        skin.set('BUTTON_HUGE', 'OUTERMASK', skin.sections[g][[k for k, _ in skin.sections[g]].index('SH_MASK')][1])

    # Check box section (text colours; the glyphs are in GLOBALINFO).
    colours('CHECKBOX', win, text, hot=win, states_n=2)
    skin.set('CHECKBOX', 'TRANSPARENCY', 100)
    skin.set('CHECKBOX', 'HOTTRANSPARENCY', 100)

    # Group box and panels: surfaces with 4-px corners; masked in Dark.
    colours('GROUPBOX', surf, sec, states_n=1)
    border_section('GROUPBOX', 16, 16, 4, [surf], [border], 1, (5, 5, 5, 5), masked_img=masked)
    skin.set('GROUPBOX', 'OUTERMODE', 2 if dark else 3)
    skin.set('GROUPBOX', 'OUTOFFSL', 1)
    skin.set('GROUPBOX', 'OUTOFFSR', 1)
    skin.set('GROUPBOX', 'OUTOFFST', 1)
    skin.set('GROUPBOX', 'OUTOFFSB', 2)
    skin.set('GROUPBOX', 'OUTCOLL', tcolor((0, 0, 0)))
    if dark:
        skin.set('GROUPBOX', 'OUTERMASK', skin.sections[g][[k for k, _ in skin.sections[g]].index('SH_MASK')][1])
    colours('PANEL', surf, text, hot=surf, states_n=2)
    border_section('PANEL', 16, 16, 4, [surf], [border], 1, (5, 5, 5, 5), masked_img=masked)
    # The panel's texture: the same in both states, shown in full (IMAGEPERCENT 100).
    pt = Image.new('RGBA', (8, 8), surf + (255,))
    ImageDraw.Draw(pt).point((3, 3), fill=shade(surf, 0.03 if dark else -0.02) + (255,))
    r = skin.place(pt)
    skin.set('PANEL', 'PATTERN', texture_value(r, 0))
    skin.set('PANEL', 'HOTPATTERN', texture_value(r, 0))
    skin.set('PANEL', 'IMAGEPERCENT', 100)
    skin.set('PANEL', 'HOTIMAGEPERCENT', 100)
    skin.set('PANEL', 'OUTERMODE', 4)
    skin.set('PANEL', 'OUTCOLL', tcolor((0, 0, 0)))
    skin.set('PANEL', 'OUTCOLT', tcolor((0, 0, 0)))
    skin.set('PANEL', 'OUTCOLR', tcolor((0, 0, 0)))
    skin.set('PANEL', 'OUTCOLB', tcolor((0, 0, 0)))
    # A sunken panel; no hot colour at all (its hot state is the default white of the engine).
    skin.sec('PANEL_LOW', COLOR=tcolor(shade(win, -0.1 if dark else -0.03)), FONTCOLOR=tcolor(text), STATES=1)
    border_section('PANEL_LOW', 12, 12, 3, [shade(win, -0.1 if dark else -0.03)], [border], 1, (4, 4, 4, 4))
    if name != 'Light':
        colours('TRANSPARENT', win, text, states_n=1)
        skin.set('TRANSPARENT', 'TRANSPARENCY', 100)

    # Edits and combo boxes: the edit surface, accent border when hot or focused.
    colours('EDIT', edit, text, hot=edit, hotfc=text)
    eb = [border, shade(border, 0.2 if dark else -0.15), acc]
    border_section('EDIT', 16, 16, 3, [edit] * 3, eb, 3, (4, 4, 4, 4), masked_img=masked, star150=(name == 'Light'))
    skin.set('EDIT', 'OUTERMODE', 0)
    skin.sec('COMBOBOX', PARENTCLASS='EDIT')
    # The drop-down arrow glyph ("@"), three frames.
    arrow = strip([lines(12, c, [[(0.2, 0.38), (0.5, 0.66), (0.8, 0.38)]], 1.5) for c in (sec, text, acc)])
    r = skin.place(arrow)
    skin.set('COMBOBOX', 'GLYPHMASK', skin.glyph(r, 3))
    colours('COMBONOEDIT', bfill[0], text, hot=bfill[1])
    border_section('COMBONOEDIT', 16, 16, 3, bfill, bborder, 3, (4, 4, 4, 4))
    colours('COMBOBTN', edit, text, hot=shade(edit, 0.06 if dark else -0.04))
    skin.set('COMBOBTN', 'TRANSPARENCY', 100)
    colours('UPDOWNBTN', bfill[0], text, hot=bfill[1])
    border_section('UPDOWNBTN', 12, 10, 2, bfill, bborder, 3, (3, 3, 3, 3))
    updown = strip([lines(8, c, [[(0.15, 0.65), (0.5, 0.3), (0.85, 0.65)]], 1.3) for c in (sec, text, acc)])
    r = skin.place(updown)
    skin.set('UPDOWNBTN', 'GLYPHMASK', skin.glyph(r, 3))

    # Page control and tabs: the active tab carries an accent marker at its top.
    colours('PAGECONTROL', surf, text, states_n=1)
    border_section('PAGECONTROL', 16, 16, 3, [surf], [border], 1, (4, 4, 4, 4))
    colours('TABSHEET', surf, text, states_n=1)
    tfill = [win, shade(win, 0.06 if dark else -0.04), surf]
    # Tabs on every side of the page: the top tab's frames turned so their open side faces the
    # page, each side's FIRST, MIDDLE and LAST sections taking its plain one's look.
    # The open side's corners are square: with no border on that side they lie in the side strips,
    # which are copied as they are, see-through pixels included.
    frames = []
    for st, f in enumerate(tfill):
        fr = rounded(20, 20, 3, f, border)
        fr.paste(rounded(20, 20, 0, f, border).crop((0, 16, 20, 20)), (0, 16))
        if st == 2:
            ImageDraw.Draw(fr).rectangle((2, 0, 17, 1), fill=acc + (255,))
        frames.append(fr)
    sides = {
        'TOP': (lambda im: im, (4, 4, 4, 0)),
        'BOTTOM': (lambda im: im.transpose(Image.FLIP_TOP_BOTTOM), (4, 0, 4, 4)),
        'LEFT': (lambda im: im.rotate(90, expand=True), (4, 4, 0, 4)),
        'RIGHT': (lambda im: im.rotate(270, expand=True), (0, 4, 4, 4)),
    }
    for side, (turn, widths) in sides.items():
        plain = 'TAB' + side
        for tab in (plain, plain + 'FIRST', plain + 'MIDDLE', plain + 'LAST'):
            colours(tab, tfill[0], sec, hot=tfill[1], hotfc=text)
            skin.set(tab, 'USESTATE2', 1)
            skin.set(tab, 'COLOR2', tcolor(surf))
            skin.set(tab, 'FONTCOLOR2', tcolor(text))
            if tab != plain:
                skin.set(tab, 'PARENTCLASS', plain)
        r = skin.place(strip([turn(f) for f in frames]))
        if dark and side == 'TOP':
            # One value written straight in the canonical form.
            skin.set(plain, 'BORDERSMASK', canonical_value(r, widths, 3, 0, 0, skin.dm()))
        else:
            skin.set(plain, 'BORDERSMASK', border_value(r, widths, 3, 0, skin.dm()))
    skin.set('TABTOP', 'TABSCOVERING', 1)

    # Track bar: a 4-px channel, the filled part in the accent colour, a round 14-px thumb.
    colours('TRACKBAR', win, text, hot=win, states_n=2)
    skin.set('TRACKBAR', 'TRANSPARENCY', 100)
    skin.set('TRACKBAR', 'HOTTRANSPARENCY', 100)
    ch = rounded(8, 4, 2, shade(border, 0.1 if dark else 0), None)
    r = skin.place(ch)
    skin.set('TRACKBAR', 'SLIDERCHANNEL', border_value(r, (3, 1, 3, 1), 1, 0, skin.dm()))
    pr = rounded(8, 4, 2, acc, None)
    r = skin.place(pr)
    skin.set('TRACKBAR', 'PROGHORZ', border_value(r, (3, 1, 3, 1), 1, 0, skin.dm()))
    pv = rounded(4, 8, 2, acc, None)
    r = skin.place(pv)
    skin.set('TRACKBAR', 'PROGVERT', border_value(r, (1, 3, 1, 3), 1, 0, skin.dm()))
    thumb = strip([circle(14, f, b) for f, b in ((edit, acc), (shade(acc, 0.7), acc), (acc, acc))])
    r = skin.place(thumb)
    skin.set('TRACKBAR', 'SLIDERMASK', skin.glyph(r, 3))
    tick = Image.new('RGBA', (1, 4), sec + (255,))
    r = skin.place(tick)
    skin.set('TRACKBAR', 'TICKHORZ', skin.glyph(r, 1))

    # Status bar: no hot colour, panel dividers from its own image.
    skin.sec('STATUSBAR', COLOR=tcolor(title), FONTCOLOR=tcolor(sec), STATES=1)
    sp = Image.new('RGBA', (8, 8), title + (255,))
    ImageDraw.Draw(sp).line((7, 1, 7, 6), fill=border + (255,))
    r = skin.place(sp)
    skin.set('STATUSBAR', 'STATUSPANELMASK', border_value(r, (1, 1, 2, 1), 1, 0, skin.dm()))

    # Hint and selection.
    colours('HINT', shade(surf, 0.05) if dark else (255, 255, 255), text, states_n=1)
    border_section('HINT', 12, 12, 3, [shade(surf, 0.05) if dark else (255, 255, 255)], [border], 1, (4, 4, 4, 4))
    skin.set('HINT', 'OUTERMODE', 3 if not dark else 2)
    colours('SELECTION', shade(acc, -0.3) if dark else shade(acc, 0.8), text, hot=acc, hotfc=accent_text)

    # Scroll bars: the track, a slim slider, arrow buttons.
    track = win if not dark else shade(win, 0.02)
    for sb, vertical in (('SCROLLBAR1H', False), ('SCROLLBAR1V', True), ('SCROLLBAR2H', False), ('SCROLLBAR2V', True)):
        colours(sb, track, text, hot=track)
        if sb.startswith('SCROLLBAR2'):
            skin.set(sb, 'PARENTCLASS', 'SCROLLBAR1' + sb[-1])
            continue
        border_section(sb, 16, 16, 0, [track] * 3, [track, track, track], 3, (2, 2, 2, 2))
    for sl, vertical in (('SCROLLSLIDERH', False), ('SCROLLSLIDERV', True)):
        th = [shade(border, 0.1 if dark else 0), shade(border, 0.3 if dark else -0.12), acc]
        colours(sl, th[0], text, hot=th[1])
        # The slim slider on the track's colour: its sides are copied as they are, so only the
        # corners could be see-through.
        frames = []
        for c in th:
            fr = Image.new('RGBA', (16, 16), track + (255,))
            inner = rounded(8 if vertical else 16, 16 if vertical else 8, 4, c, None)
            fr.alpha_composite(inner, (4, 0) if vertical else (0, 4))
            frames.append(fr)
        r = skin.place(strip(frames))
        skin.set(sl, 'BORDERSMASK', border_value(r, (5, 5, 5, 5) if not vertical else (5, 5, 5, 5), 3, 0, skin.dm()))
    arrows = {'SCROLLBTNLEFT': [[(0.62, 0.3), (0.38, 0.5), (0.62, 0.7)]],
              'SCROLLBTNRIGHT': [[(0.38, 0.3), (0.62, 0.5), (0.38, 0.7)]],
              'SCROLLBTNTOP': [[(0.3, 0.62), (0.5, 0.38), (0.7, 0.62)]],
              'SCROLLBTNBOTTOM': [[(0.3, 0.38), (0.5, 0.62), (0.7, 0.38)]]}
    for sbn, segs in arrows.items():
        colours(sbn, track, text, hot=shade(track, 0.06 if dark else -0.05))
        frames = []
        for st in range(3):
            fr = Image.new('RGBA', (16, 16), ([track, shade(track, 0.08 if dark else -0.06), shade(track, -0.1)][st]) + (255,))
            fr.alpha_composite(lines(16, [sec, text, acc][st], segs, 1.4))
            frames.append(fr)
        r = skin.place(strip(frames))
        skin.set(sbn, 'BORDERSMASK', border_value(r, (2, 2, 2, 2), 3, 0, skin.dm()))

    if dark:
        # Image-file kinds shown once each: a texture file ("!" kind 1) under the tab sheet, a
        # bare .BMP pattern under the status bar.
        t = Image.new('RGB', (8, 8), surf)
        skin.files['SHEETTEX.BMP'] = t
        skin.set('TABSHEET', 'PATTERN', '!SHEETTEX.BMP!1!0!1')
        skin.set('TABSHEET', 'IMAGEPERCENT', 0)
        s2 = Image.new('RGB', (8, 8), title)
        skin.files['STATUSTEX.BMP'] = s2
        skin.set('STATUSBAR', 'PATTERN', 'STATUSTEX.BMP')
        skin.set('STATUSBAR', 'IMAGEPERCENT', 0)
        # A texture with a mask digit and a two-digit drawing mode.
        r = skin.master.place(Image.new('RGBA', (8, 8), surf + (255,)), 'mask')
        skin.set('GROUPBOX', 'PATTERN', texture_value(r, 10, 1))
        skin.set('GROUPBOX', 'IMAGEPERCENT', 0)

    # Tool buttons (the spin edits' flat buttons): nothing in the normal state, so the surface
    # under them shows (the image draws nothing in state 0: its frame there is never read); a soft
    # rounded fill when hot, a deeper one when pressed. Placed last, so the images before keep
    # their places.
    tb = [edit, shade(edit, 0.1 if dark else -0.06), shade(edit, 0.2 if dark else -0.12)]
    colours('TOOLBUTTON', tb[0], text, hot=tb[1])
    skin.set('TOOLBUTTON', 'TRANSPARENCY', 100)
    skin.set('TOOLBUTTON', 'USESTATE2', 1)
    skin.set('TOOLBUTTON', 'COLOR2', tcolor(tb[2]))
    skin.set('TOOLBUTTON', 'FONTCOLOR2', tcolor(text))
    r = skin.place(strip([Image.new('RGBA', (12, 10), (0, 0, 0, 0)), rounded(12, 10, 2, tb[1]),
                          rounded(12, 10, 2, tb[2])]))
    skin.set('TOOLBUTTON', 'BORDERSMASK', border_value(r, (3, 3, 3, 3), 3, 0, skin.dm() | 2))

    # Speed buttons (the page control's button tabs) look like push buttons; menu buttons (its
    # menu tabs) the same, as a section of their own so a skin can tell them apart later.
    colours('SPEEDBUTTON', bfill[0], text, hot=bfill[1])
    skin.set('SPEEDBUTTON', 'USESTATE2', 1)
    skin.set('SPEEDBUTTON', 'COLOR2', tcolor(bfill[2]))
    skin.set('SPEEDBUTTON', 'FONTCOLOR2', tcolor(text))
    r = border_section('SPEEDBUTTON', 16, 16, 3, bfill, bborder, 3, (4, 4, 4, 4))
    colours('MENUBTN', bfill[0], text, hot=bfill[1])
    skin.set('MENUBTN', 'USESTATE2', 1)
    skin.set('MENUBTN', 'COLOR2', tcolor(bfill[2]))
    skin.set('MENUBTN', 'FONTCOLOR2', tcolor(text))
    skin.set('MENUBTN', 'BORDERSMASK', border_value(r, (4, 4, 4, 4), 3, 0, skin.dm()))

    # The small close glyph (tab close buttons): a thin cross, nothing behind it when normal,
    # a round red spot with a white cross when hot, a deeper red when pressed.
    def small_close(size=14):
        frames = []
        for st in range(3):
            fr = Image.new('RGBA', (size, size), (0, 0, 0, 0))
            fg = sec if st == 0 else accent_text
            if st > 0:
                fr = circle(size, RED if st == 1 else shade(RED, -0.15))
            fr.alpha_composite(glyph_close(8, fg), ((size - 8) // 2, (size - 8) // 2))
            frames.append(fr)
        return strip(frames)
    r = skin.place(small_close())
    skin.set(g, 'SICONCLOSE', skin.glyph(r, 3))

    # Common metrics of the title bar at 150 %: the Light skin's button image exists twice.
    return skin, master_name


def save_image(img, path, rgba):
    if path.upper().endswith('.PNG'):
        img.save(path, 'PNG', optimize=False, compress_level=9)
    else:
        img.convert('RGB').save(path, 'BMP')


def write(name, outdir):
    skin, master_name = build(name)
    folder = os.path.join(outdir, name)
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    master = skin.master.render(skin.mode == 'png')
    save_image(master, os.path.join(folder, master_name), skin.mode == 'png')
    for fname, data in sorted(skin.files.items()):
        path = os.path.join(folder, fname)
        if isinstance(data, bytes):
            with open(path, 'wb') as f:
                f.write(data)
        else:
            save_image(data, path, fname.upper().endswith('.PNG'))
    if name == 'Light':
        font = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
        shutil.copyfile(font, os.path.join(folder, 'DejaVuSans.ttf'))
        licence = '/usr/share/doc/fonts-dejavu-core/copyright'
        shutil.copyfile(licence, os.path.join(folder, 'DejaVuSans.LICENSE.txt'))
    with open(os.path.join(folder, 'Options.dat'), 'w', newline='') as f:
        f.write(skin.text())


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'skins')
    for name in ('Neutral', 'Dark', 'Light'):
        write(name, outdir)


if __name__ == '__main__':
    main()
