#!/usr/bin/python3
"""Compares the links the engine finds in each page with those Python's
html.parser finds (html_parser_links.py): the same values on the same lines,
page by page. Usage: compare_page_links.py PAGE_LINKS_PROGRAM FOLDER...
Prints the figures per folder and the first differences; exit status 1 when
a page differs or a folder holds no page."""
import collections
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LINK_GROUPS = (b'anchors', b'images', b'tags')


def pages_in(folder):
    found = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        found += [os.path.join(root, f) for f in sorted(files)
                  if f.lower().endswith(('.html', '.htm', '.xhtml'))]
    return found


def links_by_page(command):
    """{page: Counter((line, value))} from PATH TAB LINE [TAB GROUP] TAB VALUE lines."""
    found = collections.defaultdict(collections.Counter)
    output = subprocess.run(command, stdout=subprocess.PIPE, check=True).stdout
    for line in output.split(b'\n'):
        if not line:
            continue
        fields = line.split(b'\t')
        if len(fields) == 4:
            if fields[2] not in LINK_GROUPS:
                continue
            del fields[2]
        page, number, value = fields
        found[page][(int(number), value)] += 1
    return found


def main():
    engine, folders = sys.argv[1], sys.argv[2:]
    failed = False
    for folder in folders:
        pages = pages_in(folder)
        parser, ours = collections.defaultdict(collections.Counter), collections.defaultdict(
            collections.Counter)
        for start in range(0, len(pages), 200):
            batch = pages[start:start + 200]
            parser.update(links_by_page(
                [sys.executable, os.path.join(HERE, 'html_parser_links.py'), '--all-tags'] +
                batch))
            ours.update(links_by_page([engine] + batch))
        differing = sorted(p for p in set(parser) | set(ours) if parser.get(p) != ours.get(p))
        print('%s: %d pages, %d links by html.parser, %d by the engine, %d pages differ' %
              (folder, len(pages), sum(sum(c.values()) for c in parser.values()),
               sum(sum(c.values()) for c in ours.values()), len(differing)))
        for page in differing[:5]:
            theirs, mine = parser.get(page, collections.Counter()), ours.get(
                page, collections.Counter())
            print('  %s\n    only html.parser: %s\n    only the engine: %s' %
                  (page.decode(errors='replace'), sorted((theirs - mine).items())[:5],
                   sorted((mine - theirs).items())[:5]))
        failed = failed or bool(differing) or not pages
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
