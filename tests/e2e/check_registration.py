#!/usr/bin/python3
"""Checks what a silent installation left in a Wine prefix's registry and
shell folders. Usage:
  check_registration.py [--wow64] PREFIX WINVER FOLDER ASSOC ASSOCALLUSERS ALLUSERS
FOLDER is the install folder as Windows sees it, ending in a backslash;
ASSOC is 0, 1 or 2 (the "/assoc=" value); the flags are 0 or 1. --wow64: the
setup was a 32-bit process on 64-bit Windows; every value is looked up in
the registry view it had, and where that view keeps them is checked too.
Prints one line per check and exits 1 when any failed."""
import glob
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'lib'))
from winereg import Registry, Wow64View  # noqa: E402

# The product's version and publisher as the build configured them.
VERSION = os.environ['PX_VERSION']
PUBLISHER = os.environ['PX_PUBLISHER']

wow64 = '--wow64' in sys.argv
prefix, winver, folder, assoc, assoc_all, all_users = [a for a in sys.argv[1:] if a != '--wow64'][:6]
assoc, assoc_all, all_users = int(assoc), assoc_all == '1', all_users == '1'
reg = Wow64View(prefix) if wow64 else Registry(prefix)
is_xp = winver == 'xp'
nt6 = not is_xp
viewer = folder + 'pixo32.exe'
open_cmd = f'"{viewer}" "%1"'
failures = 0


def check(what, ok):
    global failures
    print(('ok   - ' if ok else 'FAIL - ') + what)
    failures += 0 if ok else 1


def sz(key, name=''):
    v = reg.value(key, name)
    return v[1] if v and v[0] == 'REG_SZ' else None


# Extensions of the picture rows and of the other rows, with their class groups.
PICTURES = ('ani b3d bmp dib:bmp clp crw cr2 cr3 cur dcm acr:dcm ima:dcm dcx dds djvu iw44:djvu '
            'dxf ecw emf eps ps:eps exr g3 gif hdp jxr:hdp wdp:hdp heic ico iff lbm:iff jls jp2 '
            'jpc:jp2 j2k:jp2 jpg jpeg:jpg jfif:jpg jpe:jpg jpm jxl mng jng pbm pcd pcx pgm png ppm '
            'psd psp qoi ras sun:ras raw rle sff sgi rgb:sgi sid tga tif tiff:tif wbmp webp wmf xbm xpm')
OTHERS = 'swf flv ttf asf avi mpg mpe mpeg:mpg mov wmv aif mid rmi mp3 ogg au snd:au wav wma'


def pairs(text):
    return [(p.split(':')[0], p.split(':')[-1]) for p in text.split()]


pictures, others = pairs(PICTURES), pairs(OTHERS)
check('catalogue copy: 68 picture and 19 other extensions', (len(pictures), len(others)) == (68, 19))
chosen = pictures if assoc == 1 else pictures + others if assoc == 2 else []
everything = pictures + others
classes = HKLM_CLASSES = 'HKLM\\Software\\Classes'

# Application keys and the uninstall entry, always.
check('application class', sz(f'{classes}\\Pixolum') == 'Pixolum')
check('application open command', sz(f'{classes}\\Pixolum\\shell\\open\\command') == open_cmd)
check('application has no DefaultIcon', not reg.has_key(f'{classes}\\Pixolum\\DefaultIcon'))
check('Applications open command', sz(f'{classes}\\Applications\\pixo32.exe\\shell\\open\\command') == open_cmd)
check('FriendlyAppName', sz(f'{classes}\\Applications\\pixo32.exe', 'FriendlyAppName') == 'Pixolum 32-bit')
un = 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum'
expected_uninstall = {
    '': ('REG_SZ', ''), 'DisplayName': ('REG_SZ', f'Pixolum {VERSION} (32-bit)'),
    'UninstallString': ('REG_SZ', f'"{folder}px_uninstall.exe"'), 'Publisher': ('REG_SZ', PUBLISHER),
    'InstallLocation': ('REG_SZ', folder), 'DisplayVersion': ('REG_SZ', VERSION),
    'DisplayIcon': ('REG_SZ', viewer + ',0'), 'VersionMajor': ('REG_DWORD', int(VERSION.split('.')[0])),
    'VersionMinor': ('REG_DWORD', int(VERSION.split('.')[1])), 'EstimatedSize': ('REG_DWORD', 6144)}
for name, want in expected_uninstall.items():
    check(f'uninstall entry {name or "(default)"} = {want[1]!r}', reg.value(un, name) == want)

if wow64:
    # Where the 32-bit view keeps them, read without the view.
    raw = Registry(prefix)
    raw.has_tree = lambda key: raw.has_key(key) or bool(raw.subkeys(key))
    check('uninstall entry in the 32-bit view (Wow6432Node), none in the 64-bit one',
          raw.has_key(un.replace('Software', 'Software\\Wow6432Node', 1)) and not raw.has_key(un))
    check('application keys in the 32-bit view, none in the 64-bit one',
          raw.has_tree('HKLM\\Software\\Wow6432Node\\Pixolum') and not raw.has_tree('HKLM\\Software\\Pixolum'))
    check('class keys shared by both views (HKLM\\Software\\Classes)',
          raw.has_key(f'{classes}\\Pixolum\\shell\\open\\command')
          and not raw.has_tree(f'{classes}\\Wow6432Node\\Pixolum'))

# Default Programs registration, NT 6 and later only.
caps = 'HKLM\\Software\\Pixolum\\Capabilities'
check('capabilities ' + ('present' if nt6 else 'absent'), reg.has_key(caps) == nt6)
check('RegisteredApplications ' + ('names them' if nt6 else 'untouched'),
      (sz('HKLM\\Software\\RegisteredApplications', 'Pixolum') == 'SOFTWARE\\Pixolum\\Capabilities') == nt6)
if nt6:
    check('application command without argument', sz('HKLM\\Software\\Pixolum\\shell\\open\\command') == f'"{viewer}"')
    check('ApplicationDescription', sz(caps, 'ApplicationDescription') ==
          'Picture viewer, editor and converter - one of the most popular viewers worldwide')
    fa = reg.values(caps + '\\FileAssociations')
    check(f'87 capability entries (found {len(fa)})', len(fa) == 87)
    check('capability entries name their class', all(fa.get('.' + e) == ('REG_SZ', 'Pixolum.' + g) for e, g in everything))

# Class keys: every row from Vista on, the chosen rows on XP.
written = everything if nt6 else chosen
class_keys = sorted(k.lower()[len('pixolum.'):] for k in reg.subkeys(classes) if k.lower().startswith('pixolum.'))
groups = sorted({g for _, g in written})
check(f'{len(groups)} class keys (found {len(class_keys)})', class_keys == groups)
for e, g in written:
    key = f'{classes}\\Pixolum.{g}'
    icon = '%1' if g in ('ani', 'cur', 'ico') else viewer + (
        ',12' if g in ('asf', 'avi', 'mpg', 'mpe', 'mov', 'wmv') else
        ',11' if g in ('aif', 'mid', 'rmi', 'mp3', 'ogg', 'au', 'wav', 'wma') else ',0')
    ok = (sz(key) == f'Pixolum {g.upper()} File' and sz(key + '\\shell\\open\\command') == open_cmd
          and sz(key + '\\DefaultIcon') == icon)
    if not ok:
        check(f'class key of {e}', False)
check('class keys carry type name, command and icon', True)

# Extension keys, FileExts and UserChoice.
chosen_set = {e for e, _ in chosen}
for e, g in everything:
    ext = sz(f'{classes}\\.{e}')
    if is_xp:
        want_ext = assoc_all and e in chosen_set
        progid = sz(f'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.{e}', 'ProgID')
        if (progid == f'Pixolum.{g}') != (e in chosen_set):
            check(f'FileExts ProgID of .{e}', False)
    else:
        want_ext = e in chosen_set or e in ('jpg', 'png', 'tif')
        uc = f'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.{e}\\UserChoice'
        # A UserChoice without its hash works on Vista and 7 only.
        if (sz(uc, 'Progid') == f'Pixolum.{g}') != (e in chosen_set and winver in ('vista', '7')):
            check(f'UserChoice of .{e}', False)
    if (ext == f'Pixolum.{g}') != want_ext:
        check(f'extension key .{e} ({ext!r})', False)
check('extension keys, FileExts and UserChoice exactly for the chosen rows', True)

# Folder and drive verb of the thumbnails choice (every run here chooses it).
verb = 'Durchsuchen mit &Pixolum'
for base in ('Directory', 'Drive'):
    key = f'{classes}\\{base}\\shell\\{verb}'
    ok = sz(key) == verb and sz(key + '\\command') == f'"{viewer}" "%1" /thumbs'
    check(f'{base} verb ' + ('written' if nt6 else 'absent'), ok if nt6 else not reg.has_key(key))

# Store-app suggestions: Windows 10 with rows chosen only.
appx = ['AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg', 'AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt',
        'AppX43hnxtbyyps62jhe9sqpdzxn1790zetc', 'AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h',
        'AppX6eg8h5sxqq90pv53845wmnbewywdqq5h']
want_appx = winver == '10' and assoc != 0
check('store-app keys ' + ('written' if want_appx else 'absent'),
      all((reg.value(f'HKCU\\Software\\Classes\\{a}', 'NoOpenWith') == ('REG_SZ', '')) == want_appx for a in appx))

# Links: the group and both desktop links, in the user's or the common folders.
users = glob.glob(prefix + '/drive_c/users/*/')
user = [u for u in users if not u.rstrip('/').endswith('Public')][0]
programs = (prefix + '/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pixolum' if all_users
            else user + 'AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Pixolum')
if is_xp and not all_users:
    programs = glob.glob(user + '*/Programme/Pixolum') + glob.glob(user + 'Start Menu/Programs/Pixolum') or [programs]
    programs = programs[0] if isinstance(programs, list) else programs
links = sorted(os.listdir(programs)) if os.path.isdir(programs) else []
group = ['Kommandozeilen-Optionen.lnk', 'Pixolum - Thumbnails.lnk', f'Pixolum {VERSION}.lnk', 'Pixolum Hilfe.lnk',
         'Pixolum deinstallieren.lnk', 'Verfügbare PlugIns.lnk', 'Verfügbare Sprachen.lnk', 'Was ist neu.lnk',
         'Über Pixolum.lnk']
if winver in ('8', '81'):
    group.remove('Pixolum deinstallieren.lnk')
check(f'{len(group)} group links in {programs} (found {links})', sorted(links) == sorted(group))
desktop = (prefix + '/drive_c/users/Public/Desktop') if all_users else user + 'Desktop'
for name in ('Pixolum.lnk', 'Pixolum Thumbnails.lnk'):
    check(f'desktop link {name}', os.path.isfile(os.path.join(desktop, name)))

print(f'{failures} failed')
sys.exit(1 if failures else 0)
