#!/usr/bin/python3
"""Writes the Windows Package Manager manifest of one release (schema 1.10.0).

Usage: make_manifest.py SETUP_EXE OUT_FOLDER --version V --url DOWNLOAD_URL --site SITE_URL
                        --publisher NAME --publisher-id ID --name PRODUCT

Three files in OUT_FOLDER/manifests/<p>/<ID>/<PRODUCT>/<V>/, the layout of
the package manager's community repository, after OUT_FOLDER/manifests is
emptied (an earlier version's folder is not this release's): the version file, the installer
file (with the SHA-256 of SETUP_EXE as built, signature included) and the
de-DE default-locale file. Only the standard library: the build needs no
YAML module; texts that YAML would misread are written as JSON strings, which YAML
reads as they are.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import sys

LOCALE = 'de-DE'
SCHEMA_VERSION = '1.10.0'
# The uninstall entry's key name below ...\CurrentVersion\Uninstall.
UNINSTALL_KEY = 'Pixolum'


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            digest.update(block)
    return digest.hexdigest().upper()


def quoted(value):
    return json.dumps(value, ensure_ascii=False)


def emit(value, indent=0):
    """YAML block text of nested dicts and lists of strings and integers."""
    pad = '  ' * indent
    lines = []
    if isinstance(value, dict):
        for key, item in value.items():
            if isinstance(item, (dict, list)):
                lines.append('%s%s:' % (pad, key))
                lines += emit(item, indent + 1)
            else:
                lines.append('%s%s: %s' % (pad, key, scalar(item, indent)))
    else:
        for item in value:
            if isinstance(item, dict):
                first, *rest = emit(item, indent + 1)
                lines.append('%s- %s' % (pad, first.lstrip()))
                lines += rest
            else:
                lines.append('%s- %s' % (pad, scalar(item)))
    return lines


# Texts YAML reads back as the same string without quotes: no numbers
# (4.72 would be a float), no words YAML takes for true, false or null.
PLAIN = re.compile(r'^[A-Za-z/][A-Za-z0-9._/()+-]*(?::[A-Za-z0-9._/()+-]+)*$')
YAML_WORDS = {'y', 'n', 'yes', 'no', 'on', 'off', 'true', 'false', 'null'}


def scalar(item, indent=0):
    if isinstance(item, int):
        return str(item)
    if '\n' in item:
        pad = '  ' * (indent + 1)
        return '|-\n' + '\n'.join(pad + line for line in item.split('\n'))
    if PLAIN.match(item) and item.lower() not in YAML_WORDS:
        return item
    return quoted(item)


def write(path, kind, comment, body):
    header = ['# %s' % line for line in comment]
    header.append('# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json'
                  % (kind.lower(), SCHEMA_VERSION))
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(header + [''] + emit(body)) + '\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('setup')
    parser.add_argument('out')
    parser.add_argument('--version', required=True)
    parser.add_argument('--url', required=True)
    parser.add_argument('--site', required=True)
    parser.add_argument('--publisher', required=True)
    parser.add_argument('--publisher-id', required=True)
    parser.add_argument('--name', required=True)
    args = parser.parse_args()
    site = args.site.rstrip('/')
    publisher, name = args.publisher, args.name
    identifier = args.publisher_id + '.' + name
    shutil.rmtree(os.path.join(args.out, 'manifests'), ignore_errors=True)
    folder = os.path.join(args.out, 'manifests', args.publisher_id[0].lower(), args.publisher_id,
                          name, args.version)
    os.makedirs(folder)
    common = {'PackageIdentifier': identifier, 'PackageVersion': args.version}
    footer = lambda kind: {'ManifestType': kind, 'ManifestVersion': SCHEMA_VERSION}

    write(os.path.join(folder, identifier + '.yaml'), 'version', ['Written by the build.'],
          {**common, 'DefaultLocale': LOCALE, **footer('version')})

    digest = sha256_of(args.setup)
    switches = {
        'Silent': '/silent',
        'SilentWithProgress': '/silent',
        # Values end at the next '/', blanks need the whole switch quoted.
        'InstallLocation': '"/folder=<INSTALLPATH>"',
        'Log': '"/log=<LOGPATH>"',
    }
    installer = {
        **common,
        'InstallerLocale': LOCALE,
        'InstallerType': 'exe',
        'InstallModes': ['interactive', 'silent'],
        'InstallerSwitches': switches,
        'ExpectedReturnCodes': [
            {'InstallerReturnCode': 1, 'ReturnResponse': 'custom',
             'ReturnResponseUrl': site + '/faq.htm'},
            {'InstallerReturnCode': 2, 'ReturnResponse': 'packageInUse'},
            {'InstallerReturnCode': 3, 'ReturnResponse': 'downgrade'},
        ],
        # A new version installs over the old one, into its folder.
        'UpgradeBehavior': 'install',
        'ProductCode': UNINSTALL_KEY,
        'AppsAndFeaturesEntries': [{
            'DisplayName': '%s %s (32-bit)' % (name, args.version),
            'Publisher': publisher,
            'DisplayVersion': args.version,
            'ProductCode': UNINSTALL_KEY,
        }],
        'InstallationMetadata': {'Files': [
            {'RelativeFilePath': 'pixo32.exe', 'FileType': 'launch'},
            {'RelativeFilePath': 'px_uninstall.exe', 'FileType': 'uninstall',
             'InvocationParameter': '/silent'},
        ]},
        # One setup, two scopes: machine-wide it asks for the highest
        # available rights itself; /currentuser installs for the user alone,
        # into %LOCALAPPDATA%\\Programs\\Pixolum and HKCU, without them.
        'Installers': [{
            'Architecture': 'x86',
            'Scope': 'machine',
            'InstallerUrl': args.url,
            'InstallerSha256': digest,
            'ElevationRequirement': 'elevatesSelf',
        }, {
            'Architecture': 'x86',
            'Scope': 'user',
            'InstallerUrl': args.url,
            'InstallerSha256': digest,
            'InstallerSwitches': {**switches, 'Custom': '/currentuser'},
        }],
        **footer('installer'),
    }
    write(os.path.join(folder, identifier + '.installer.yaml'), 'installer', [
        'Written by the build from the setup it made; the hash is that of its setup.exe.',
        'Exit codes: 0 installed; 1 failed, Pixolum_Install.log says why (in the file of',
        '/log=, else the folder current at start, else %TEMP%); 2 refused, Pixolum is running.',
        'Uninstalling: the uninstall entry "Pixolum" runs px_uninstall.exe /silent.',
        'Scope user: /currentuser, the same entry below HKEY_CURRENT_USER.',
    ], installer)

    locale = {
        **common,
        'PackageLocale': LOCALE,
        'Publisher': publisher,
        'PublisherUrl': site,
        'PackageName': name,
        'PackageUrl': site,
        'License': 'Proprietär',
        'LicenseUrl': site + '/eula.htm',
        'ShortDescription': 'Bildbetrachter, -bearbeiter und -konverter (32-bit)',
        'Description': (
            'Pixolum zeigt, bearbeitet und konvertiert Bilder in 49 Bildformaten und öffnet '
            'insgesamt 63 Dateiformate.\n'
            'Die stille Installation (/silent) installiert in den Ordner einer früheren '
            'Installation, sonst nach „Programme\\Pixolum“, und legt die Einstellungen in '
            '%APPDATA%\\Pixolum an. Sie erstellt keine Verknüpfungen auf dem Desktop oder im '
            'Startmenü und verknüpft keine Dateitypen für den Benutzer; ab Windows Vista wird '
            'Pixolum mit allen Formaten in den Standardprogrammen angeboten und als '
            'systemweite Vorgabe für .jpg, .png und .tif eingetragen (die Wahl eines Benutzers '
            'bleibt bestehen). Verknüpfungen und Dateitypen wählen weitere Schalter, z. B. '
            '--custom "/group=1 /desktop=1 /assoc=1"; setup.exe /? listet sie.\n'
            'Im Bereich „user“ (/currentuser, oder ohne Administratorrechte gestartet) installiert '
            'sie nach %LOCALAPPDATA%\\Programs\\Pixolum und schreibt nur für den aktuellen '
            'Benutzer (HKEY_CURRENT_USER).\n'
            'Rückgabewert 1: Die Installation ist fehlgeschlagen, der Grund steht im '
            'Protokoll Pixolum_Install.log.'),
        'Moniker': 'pixolum',
        'Tags': ['bildbetrachter', 'bilder', 'fotos', 'grafik', 'konverter', 'thumbnails'],
        **footer('defaultLocale'),
    }
    write(os.path.join(folder, identifier + '.locale.%s.yaml' % LOCALE), 'defaultLocale',
          ['Written by the build.'], locale)
    print('manifest: %s' % folder)
    return 0


if __name__ == '__main__':
    sys.exit(main())
