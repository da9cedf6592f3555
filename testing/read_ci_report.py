#!/usr/bin/python3
"""Reads a skarnel-cli CI report back as its tool would and prints what the
tool sees, one item a line, fields separated by tabs, each text with
backslash, tab, CR and LF written \\\\ \\t \\r \\n (absent: "(none)").
Usage: read_ci_report.py junit|github|markdown|sarif REPORT [SARIF_SCHEMA]
junit is parsed by Python's XML parser, markdown rendered by cmark-gfm (the
parser GitHub renders with) and read back from its HTML, sarif validated
against the schema, github split and unescaped as the Actions runner does.
Exit status 1, with the reason on standard error, when the report is broken."""
import html.parser
import json
import re
import subprocess
import sys
import urllib.parse
import xml.etree.ElementTree as ElementTree


def text(value):
    if value is None:
        return '(none)'
    return (str(value).replace('\\', '\\\\').replace('\t', '\\t')
            .replace('\r', '\\r').replace('\n', '\\n'))


def emit(*fields):
    sys.stdout.write('\t'.join(text(f) for f in fields) + '\n')


def counts(element):
    return [element.get(name) for name in ('tests', 'failures', 'errors', 'skipped')]


def read_junit(report):
    root = ElementTree.parse(report).getroot()
    assert root.tag == 'testsuites', root.tag
    emit('testsuites', *counts(root))
    for suite in root:
        assert suite.tag == 'testsuite', suite.tag
        emit('testsuite', suite.get('name'), *counts(suite))
        for case in suite:
            kinds = [child for child in case if child.tag in ('failure', 'skipped')]
            outputs = [child.text or '' for child in case if child.tag == 'system-out']
            assert case.tag == 'testcase' and len(kinds) <= 1 and len(outputs) == 1
            kind = kinds[0].tag if kinds else 'ok'
            message = kinds[0].get('message') if kinds else None
            emit('testcase', case.get('name'), case.get('classname'), case.get('file'),
                 case.get('line'), kind, message, outputs[0])


def unescape(value, escapes):
    for escape, character in escapes:
        value = value.replace(escape, character)
    return value


# The runner's unescaping: %25 last, so an escaped "%" never starts another escape.
DATA_ESCAPES = [('%0D', '\r'), ('%0A', '\n'), ('%25', '%')]
PROPERTY_ESCAPES = [('%0D', '\r'), ('%0A', '\n'), ('%3A', ':'), ('%2C', ','), ('%25', '%')]


def read_github(report):
    for line in open(report, encoding='utf-8', newline='\n').read().split('\n')[:-1]:
        command = re.fullmatch(r'::([a-z]+)(?: ([^:]*))?::(.*)', line)
        if not command:
            assert not line.startswith('::'), line
            emit('text', line)
            continue
        properties = dict(item.split('=', 1) for item in (command[2] or '').split(',') if item)
        emit(command[1], *(unescape(properties.get(name), PROPERTY_ESCAPES)
                           if name in properties else None for name in ('file', 'line')),
             unescape(command[3], DATA_ESCAPES))


class TableReader(html.parser.HTMLParser):
    """The cells of rendered tables and the text of paragraphs, <br> as LF."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.row, self.cell = None, None

    def handle_starttag(self, tag, attrs):
        if tag == 'tr':
            self.row = []
        elif tag in ('td', 'th', 'p'):
            self.cell = ''
        elif tag == 'br':
            self.cell += '\n'

    def handle_endtag(self, tag):
        if tag in ('td', 'th'):
            self.row.append(self.cell)
        elif tag == 'tr':
            emit('row', *self.row)
        elif tag == 'p':
            emit('paragraph', self.cell)

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


# GitHub lets the raw <br> of a cell through (--unsafe), as its sanitiser keeps it.
def read_markdown(report):
    rendered = subprocess.run(['cmark-gfm', '--unsafe', '-e', 'table', '-e', 'autolink', '-e',
                               'strikethrough', '-e', 'tagfilter', report],
                              stdout=subprocess.PIPE, check=True).stdout.decode('utf-8')
    TableReader().feed(rendered)


# A URI reference holds these characters only, and a % starts an escape.
URI_REFERENCE = re.compile(r"(?:[A-Za-z0-9\-._~:/?#\[\]@!$&'()*+,;=]|%[0-9A-Fa-f]{2})*")


def read_sarif(report, schema_file):
    import jsonschema
    log = json.load(open(report, encoding='utf-8'))
    jsonschema.Draft7Validator(json.load(open(schema_file))).validate(log)
    [run] = log['runs']
    driver = run['tool']['driver']
    roots = run.get('originalUriBaseIds', {})
    emit('sarif', log['$schema'], log['version'], driver['name'], driver['version'],
         ','.join(rule['id'] for rule in driver['rules']),
         *(f'{name}={root["uri"]}' for name, root in roots.items()))
    for result in run['results']:
        assert driver['rules'][result['ruleIndex']]['id'] == result['ruleId']
        place = result['locations'][0]['physicalLocation']
        uri = place['artifactLocation']['uri']
        assert URI_REFERENCE.fullmatch(uri), uri
        emit('result', result['ruleId'], result['level'], result['message']['text'], uri,
             place['artifactLocation'].get('uriBaseId'), urllib.parse.unquote(uri),
             place.get('region', {}).get('startLine'))


if __name__ == '__main__':
    try:
        {'junit': read_junit, 'github': read_github, 'markdown': read_markdown,
         'sarif': read_sarif}[sys.argv[1]](*sys.argv[2:])
    except Exception as error:  # noqa: BLE001 - any failure is a broken report
        sys.stderr.write(f'{type(error).__name__}: {error}\n')
        sys.exit(1)
