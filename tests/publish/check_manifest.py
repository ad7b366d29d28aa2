#!/usr/bin/python3
"""Checks the package manager's manifest the build wrote against the published
schemas and against what the setup really is and does.

Usage: check_manifest.py MANIFEST_FOLDER SCHEMA_FOLDER SETUP_EXE UNINSTALL_VALUES
UNINSTALL_VALUES: the values of the uninstall entry a silent installation wrote
(machine-wide, or per user through the user installer's switches),
"name=data" per line, and "key=<name of the entry's key>".
"""
import hashlib
import json
import os
import sys

import jsonschema
import yaml

failures = 0


def check(what, ok):
    global failures
    print('%s - %s' % ('ok  ' if ok else 'FAIL', what))
    failures += 0 if ok else 1


def main(folder, schemas, setup, values_file):
    version = os.environ['PX_VERSION']
    package = os.path.basename(os.path.dirname(os.path.dirname(folder.rstrip('/')))) + '.Pixolum'
    kinds = {'version': package + '.yaml',
             'installer': package + '.installer.yaml',
             'defaultLocale': package + '.locale.de-DE.yaml'}
    manifests = {}
    for kind, name in kinds.items():
        with open('%s/%s' % (folder, name), encoding='utf-8') as f:
            manifests[kind] = yaml.safe_load(f)
        with open('%s/manifest.%s.1.10.0.json' % (schemas, kind), encoding='utf-8') as f:
            schema = json.load(f)
        errors = list(jsonschema.Draft7Validator(schema).iter_errors(manifests[kind]))
        check('%s is valid against schema 1.10.0 %s' % (name, [e.message for e in errors][:3]),
              not errors)
        check('%s: type %s, version %s' % (name, kind, version),
              manifests[kind]['ManifestType'] == kind and manifests[kind]['PackageVersion'] == version)

    inst = manifests['installer']
    with open(setup, 'rb') as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    # Two installers of the one setup: machine-wide, and per user with /currentuser.
    by_scope = {i.get('Scope', inst.get('Scope')): i for i in inst['Installers']}
    check('two installers, scopes machine and user (%s)' % sorted(by_scope),
          len(inst['Installers']) == 2 and set(by_scope) == {'machine', 'user'})
    for scope_name, installer in by_scope.items():
        check('%s: InstallerSha256 is the hash of setup.exe' % scope_name,
              installer['InstallerSha256'].lower() == digest)
        check('%s: exe, x86' % scope_name,
              (inst.get('InstallerType'), installer['Architecture']) == ('exe', 'x86'))
        switches = dict(inst.get('InstallerSwitches', {}), **installer.get('InstallerSwitches', {}))
        check('%s: silent switches /silent' % scope_name,
              switches['Silent'] == '/silent' == switches['SilentWithProgress'])
        check('%s: log switch /log=' % scope_name, '/log=<LOGPATH>' in switches.get('Log', ''))
        check('%s: /currentuser exactly for the user scope' % scope_name,
              ('/currentuser' in switches.get('Custom', '')) == (scope_name == 'user'))
    codes = {c['InstallerReturnCode']: c['ReturnResponse'] for c in inst['ExpectedReturnCodes']}
    check('2 means the package is in use', codes.get(2) == 'packageInUse')
    check('3 means a newer version is installed', codes.get(3) == 'downgrade')
    check('1 is an expected failure', 1 in codes)
    locale = manifests['defaultLocale']
    check('locale de-DE names /silent and what it leaves out',
          locale['PackageLocale'] == 'de-DE' and '/silent' in locale['Description']
          and 'Verknüpfungen' in locale['Description'] and 'Dateitypen' in locale['Description'])
    check('the locale points at the log for exit code 1', 'Pixolum_Install.log' in locale['Description'])

    # What a real installation left: the package manager finds it by these.
    values = dict(line.rstrip('\n').split('=', 1) for line in open(values_file, encoding='utf-8')
                  if '=' in line)
    check('ProductCode is the uninstall entry\'s key name', inst['ProductCode'] == values.get('key'))
    entry = inst['AppsAndFeaturesEntries'][0]
    for name in ('DisplayName', 'Publisher', 'DisplayVersion'):
        check('%s as the installation wrote it (%s)' % (name, values.get(name)),
              entry[name] == values.get(name))
    files = inst['InstallationMetadata']['Files']
    uninstall = [f for f in files if f.get('FileType') == 'uninstall'][0]
    quiet = '"%s%s" %s' % (values.get('InstallLocation'), uninstall['RelativeFilePath'],
                           uninstall['InvocationParameter'])
    check('uninstall file and switches make the QuietUninstallString (%s)' % values.get(
        'QuietUninstallString'), quiet == values.get('QuietUninstallString'))
    print('%d failed' % failures)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
