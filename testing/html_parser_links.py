#!/usr/bin/python3
"""List the links that Python's html.parser finds in HTML pages.

Usage:
    html_parser_links.py [--all-tags] [--browser-charrefs] PATH...

Each PATH is an HTML file, or a folder that is walked (sorted, symlinked
folders not followed) for *.html, *.htm and *.xhtml in any letter case.

Output, one line per link value, in document order within each file:

    PATH<TAB>LINE<TAB>GROUP<TAB>VALUE

LINE is the 1-based line of the attribute name (only byte 10 ends a line,
so CR LF counts once and a lone CR not at all).  GROUP is one of:

    anchors        a/area href, iframe src, URL part of meta refresh content
    images         img src, each URL of img/source srcset,
                   input src (type=image), video poster
    tags           (--all-tags only) link href, script src, form action,
                   source/video/audio/track/embed src, object data
    base           base href (every one is printed; only the first matters)
    anchor-target  every id attribute, and a name

VALUE is printed as bytes: bytes of the page are copied unchanged, text
produced by a character reference is UTF-8.  Leading and trailing bytes
<= 0x20 are stripped.  Tab, LF, CR and backslash are written \\t \\n \\r \\\\,
other bytes below 0x20 and 0x7F as \\xHH.  PATH is escaped the same way.

Pages are decoded as latin-1, so one byte is one character and the offsets
html.parser reports are byte offsets.

Where html.parser departs from how browsers tokenize, this script follows
the browser in these places only:
  * title, textarea, iframe, xmp, noembed and noframes content is text, not
    markup (html.parser parses tags inside them); script and style keep their raw-text handling, except
    that script text also runs past a "</script>" written inside
    "<!-- <script>" ... "-->", as in browsers;
  * a comment ends at the first "-->" or "--!>", and "<!-->" and "<!--->"
    are complete (empty) comments; html.parser also accepts "-- >" and
    misses the other three, so that the rest of the page vanished;
  * <script/>, <style/>, <title/>, <textarea/> still start raw text, since
    a trailing slash does not close a non-void HTML element;
  * inside svg and math none of these is raw text (there they are
    ordinary foreign elements);
  * if an attribute appears twice on a tag, only the first is used.
--browser-charrefs additionally decodes character references in attribute
values the way browsers do: a legacy named reference without ';' that is
followed by '=' or a letter or digit stays literal (html.unescape turns
"?a=1&copy=2" into "?a=1\u00a9=2"), and numeric references to control
characters or noncharacters give that code point instead of nothing.

Exit status: 0, or 1 if some file could not be read or parsed (reported on
stderr; the other files are still listed).
"""

import argparse
import html
import html.entities
import html.parser
import os
import re
import sys

ASCII_WS = b' \t\n\r\x0c'
HTML_EXTENSIONS = ('.html', '.htm', '.xhtml')

# Elements whose content the tokenizer reads as text rather than markup,
# when they are HTML elements (not inside svg or math).
RAW_TEXT_ELEMENTS = frozenset(('script', 'style', 'textarea', 'title', 'xmp', 'iframe',
                               'noembed', 'noframes'))
FOREIGN_ROOTS = frozenset(('svg', 'math'))

# (tag, attribute) -> group, for the attributes that are links by
# themselves.  Attributes whose meaning depends on another attribute
# (meta content, input src) or that hold several URLs (srcset) are handled
# in LinkLister._links_of.
SIMPLE_LINKS = {
    ('a', 'href'): 'anchors',
    ('area', 'href'): 'anchors',
    ('iframe', 'src'): 'anchors',
    ('img', 'src'): 'images',
    ('video', 'poster'): 'images',
    ('base', 'href'): 'base',
}
TAG_LINKS = {
    ('link', 'href'), ('script', 'src'), ('form', 'action'),
    ('source', 'src'), ('video', 'src'), ('audio', 'src'),
    ('track', 'src'), ('embed', 'src'), ('object', 'data'),
}

_ESCAPES = []
for _b in range(256):
    if _b == 9:
        _ESCAPES.append(b'\\t')
    elif _b == 10:
        _ESCAPES.append(b'\\n')
    elif _b == 13:
        _ESCAPES.append(b'\\r')
    elif _b == 92:
        _ESCAPES.append(b'\\\\')
    elif _b < 0x20 or _b == 0x7F:
        _ESCAPES.append(b'\\x%02x' % _b)
    else:
        _ESCAPES.append(bytes((_b,)))


def escape_field(data):
    """Make bytes safe for one TSV field."""
    return b''.join(_ESCAPES[b] for b in data)


def strip_url(data):
    """Strip what a URL parser strips from both ends: bytes <= 0x20."""
    start, end = 0, len(data)
    while start < end and data[start] <= 0x20:
        start += 1
    while end > start and data[end - 1] <= 0x20:
        end -= 1
    return data[start:end]


def _is_ascii_alnum(ch):
    return ch.isascii() and ch.isalnum()


def decode_attr_value(raw, browser_charrefs=False):
    """Decode character references in a raw attribute value.

    raw is a str holding one page byte per character.  The result is bytes:
    literal text goes back to its original bytes, and replacement text of a
    character reference is UTF-8, as a browser would hold it.
    """
    out = bytearray()
    pos = 0
    for m in html._charref.finditer(raw):
        out += raw[pos:m.start()].encode('latin-1')
        pos = m.end()
        repl = html._replace_charref(m)
        body = m.group(1)
        if browser_charrefs:
            if body.startswith('#'):
                if repl == '':
                    # html.unescape drops references to control characters
                    # and noncharacters; browsers keep the code point.
                    digits = body[1:].rstrip(';')
                    if digits[:1] in ('x', 'X'):
                        repl = chr(int(digits[1:], 16))
                    else:
                        repl = chr(int(digits))
            elif not body.endswith(';'):
                # Legacy name without ';'.  Find what followed the name.
                if body in html.entities.html5:
                    after = raw[m.end():m.end() + 1]
                else:
                    after = ''
                    for x in range(len(body) - 1, 1, -1):
                        if body[:x] in html.entities.html5:
                            after = body[x]
                            break
                if after == '=' or (after and _is_ascii_alnum(after)):
                    repl = m.group(0)
                    out += repl.encode('latin-1')
                    continue
        out += repl.encode('utf-8')
    out += raw[pos:].encode('latin-1')
    return bytes(out)


def _mixed_bytes(text):
    """Page characters back to bytes, decoded references as UTF-8."""
    return b''.join(c.encode('latin-1') if ord(c) < 256 else c.encode('utf-8')
                    for c in text)


def srcset_urls(value):
    """URLs of a srcset value, split as browsers split srcset."""
    urls = []
    pos, n = 0, len(value)
    while True:
        while pos < n and (value[pos] in ASCII_WS or value[pos] == 0x2C):
            pos += 1
        if pos >= n:
            return urls
        start = pos
        while pos < n and value[pos] not in ASCII_WS:
            pos += 1
        url = value[start:pos]
        if url.endswith(b','):
            # "a.png,b.png," : the URL swallowed the separator.  No
            # descriptors follow such a URL.
            urls.append(url.rstrip(b','))
            continue
        urls.append(url)
        # Descriptors run to the next comma outside parentheses.
        state = 'in'
        while pos < n:
            c = value[pos]
            if state == 'in':
                if c in ASCII_WS:
                    state = 'after'
                elif c == 0x2C:
                    pos += 1
                    break
                elif c == 0x28:
                    state = 'paren'
            elif state == 'paren':
                if c == 0x29:
                    state = 'in'
            else:  # after a descriptor
                if c not in ASCII_WS:
                    state = 'in'
                    continue  # look at this byte again in state 'in'
            pos += 1


def refresh_url(value):
    """URL part of a meta refresh content value, or None if there is none."""
    n = len(value)
    pos = 0

    def skip_ws(p):
        while p < n and value[p] in ASCII_WS:
            p += 1
        return p

    pos = skip_ws(pos)
    start = pos
    while pos < n and 0x30 <= value[pos] <= 0x39:
        pos += 1
    if pos == start and not (pos < n and value[pos] == 0x2E):
        return None  # no time: not a refresh at all
    while pos < n and (0x30 <= value[pos] <= 0x39 or value[pos] == 0x2E):
        pos += 1
    if pos < n:
        if value[pos] not in b';,' and value[pos] not in ASCII_WS:
            return None
        pos = skip_ws(pos)
        if pos < n and value[pos] in b';,':
            pos += 1
        pos = skip_ws(pos)
    if pos >= n:
        return None
    url = value[pos:]
    if value[pos] in b'Uu':
        pos += 1
        if not (pos < n and value[pos] in b'Rr'):
            return url
        pos += 1
        if not (pos < n and value[pos] in b'Ll'):
            return url
        pos = skip_ws(pos + 1)
        if not (pos < n and value[pos] == 0x3D):
            return url
        pos = skip_ws(pos + 1)
    if pos < n and value[pos] in b'\'"':
        quote = value[pos:pos + 1]
        url = value[pos + 1:]
        cut = url.find(quote)
        if cut >= 0:
            url = url[:cut]
    else:
        url = value[pos:]
    return url


def locate_attributes(tag_text):
    """(name, offset of name, raw value or None, quote) for each attribute.

    name is lower-cased; quote is the quote character around the value, or
    '' for an unquoted value or none.

    Uses html.parser's own patterns, in the same loop as its
    parse_starttag, so the list lines up one to one with the attrs the
    parser hands to handle_starttag.
    """
    found = []
    m = html.parser.tagfind_tolerant.match(tag_text, 1)
    if not m:
        return found
    k = m.end()
    while k < len(tag_text):
        m = html.parser.attrfind_tolerant.match(tag_text, k)
        if not m:
            break
        name, rest, value = m.group(1, 2, 3)
        quote = ''
        if not rest:
            value = None
        elif value[:1] == '\'' == value[-1:] or value[:1] == '"' == value[-1:]:
            quote = value[0]
            value = value[1:-1]
        found.append((name.lower(), m.start(1), value, quote))
        k = m.end()
    return found


COMMENT_END = re.compile(r'--!?>')
_SCRIPT_DELIM = r'(?=[\t\n\f\r />])'
_SCRIPT_OPEN = re.compile(r'<script' + _SCRIPT_DELIM, re.I)
_SCRIPT_CLOSE = re.compile(r'</script' + _SCRIPT_DELIM, re.I)
_SCRIPT_ESCAPE = re.compile(r'<!--|</script' + _SCRIPT_DELIM, re.I)
_SCRIPT_IN_ESCAPE = re.compile(r'-->|</?script' + _SCRIPT_DELIM, re.I)


class ScriptEnd:
    """Finds the end tag of script text, for html.parser's raw-text mode.

    html.parser ends script text at the first "</script".  Browsers do not
    when it comes inside "<!--" ... "<script>" ... "-->" (the old way of
    hiding document.write calls): there "</script>" only closes the inner,
    written script.  search() follows the escaped and double-escaped
    states to the "</script" that really ends the element.  Only the
    search() method of a compiled pattern is used by html.parser.
    """

    def search(self, text, pos):
        state = 'data'
        while True:
            if state == 'data':
                m = _SCRIPT_ESCAPE.search(text, pos)
                if not m:
                    return None
                if m.group().startswith('</'):
                    return m
                state = 'escaped'
                pos = m.start() + 2  # the dashes of "<!--" may close it
                continue
            m = _SCRIPT_IN_ESCAPE.search(text, pos)
            if not m:
                return None
            if m.group() == '-->':
                state = 'data'
            elif m.group().startswith('</'):
                if state == 'escaped':
                    return m
                state = 'escaped'   # end of the inner, written script
            elif state == 'escaped':
                state = 'double'    # "<script" inside "<!--"
            pos = m.end()


class LinkLister(html.parser.HTMLParser):
    # Raw-text switching is done in _start_tag, so that it can depend on
    # foreign content and apply to self-closing tags too.
    CDATA_CONTENT_ELEMENTS = ()

    def __init__(self, all_tags=False, browser_charrefs=False):
        super().__init__(convert_charrefs=True)
        self.all_tags = all_tags
        self.browser_charrefs = browser_charrefs
        self.rows = []          # (line, group, value bytes)
        self.warnings = []
        self.features = set()   # what the page uses, for corpus statistics
        self._foreign_depth = 0
        self._raw_text = None   # element whose text we are inside

    # -- tags -------------------------------------------------------------

    def handle_starttag(self, tag, attrs):
        self._start_tag(tag, attrs, self_closing=False)

    def handle_startendtag(self, tag, attrs):
        self._start_tag(tag, attrs, self_closing=True)

    def handle_endtag(self, tag):
        if tag in FOREIGN_ROOTS and self._foreign_depth:
            self._foreign_depth -= 1
        self._raw_text = None

    def _start_tag(self, tag, attrs, self_closing):
        line = self.getpos()[0]
        text = self.get_starttag_text()
        located = locate_attributes(text)
        if [a[0] for a in located] == [a[0] for a in attrs]:
            decoded = [(name, line + text.count('\n', 0, offset),
                        b'' if raw is None
                        else decode_attr_value(raw, self.browser_charrefs))
                       for name, offset, raw, _ in located]
            self._note_syntax(text, located)
        else:
            # Cannot happen while the parser's own patterns are used; keep
            # going with the tag's line rather than print wrong lines.
            self.warnings.append('line %d: could not locate attributes of <%s>'
                                 % (line, tag))
            decoded = [(name, line, b'' if v is None else _mixed_bytes(v))
                       for name, v in attrs]
        first = {}
        order = []
        for name, attr_line, value in decoded:
            if name in first:
                self.features.add('duplicate-attribute')
                continue
            first[name] = (attr_line, value)
            order.append(name)
        self._links_of(tag, first, order)

        if tag in FOREIGN_ROOTS:
            if not self_closing:
                self._foreign_depth += 1
        elif tag in RAW_TEXT_ELEMENTS:
            if self._foreign_depth:
                if tag == 'title':
                    self.features.add('foreign-title')
            else:
                if self_closing:
                    self.features.add('self-closing-raw-text')
                self.set_cdata_mode(tag)
                if tag == 'script':
                    self.interesting = ScriptEnd()
                self._raw_text = tag

    def _note_syntax(self, text, located):
        """Record tag spellings that simple scanners tend to get wrong."""
        m = html.parser.tagfind_tolerant.match(text, 1)
        if m and not m.group(1).islower():
            self.features.add('upper-case-tag-name')
        for name, offset, raw, quote in located:
            if text[offset:offset + len(name)] != name:
                self.features.add('upper-case-attribute-name')
            if raw and not quote:
                self.features.add('unquoted-value')
            if raw and ('<' in raw or '>' in raw):
                self.features.add('lt-gt-in-attribute-value')

    def handle_pi(self, data):
        if data.startswith('xml ') or data.startswith('xml?'):
            self.features.add('xml-declaration')

    def _links_of(self, tag, first, order):
        emit = self.rows.append

        def lowered(name):
            if name not in first:
                return None
            return bytes(c + 32 if 0x41 <= c <= 0x5A else c
                         for c in first[name][1])

        for name in order:
            line, value = first[name]
            if name == 'id' or (tag == 'a' and name == 'name'):
                emit((line, 'anchor-target', strip_url(value)))
            group = SIMPLE_LINKS.get((tag, name))
            if group:
                emit((line, group, strip_url(value)))
                if group == 'base':
                    self.features.add('base')
            elif name == 'srcset' and tag in ('img', 'source'):
                self.features.add('srcset')
                for url in srcset_urls(value):
                    emit((line, 'images', strip_url(url)))
            elif tag == 'input' and name == 'src':
                if lowered('type') == b'image':
                    emit((line, 'images', strip_url(value)))
            elif tag == 'meta' and name == 'content':
                if lowered('http-equiv') == b'refresh':
                    self.features.add('refresh')
                    url = refresh_url(value)
                    if url is not None and strip_url(url):
                        emit((line, 'anchors', strip_url(url)))
            elif self.all_tags and (tag, name) in TAG_LINKS:
                emit((line, 'tags', strip_url(value)))

    # -- text the tokenizer does not read as markup -------------------------

    def parse_comment(self, i, report=1):
        # html.parser ends a comment at "--" spaces ">", misses "--!>", and
        # reads "<!-->" and "<!--->" as the start of a longer comment, so
        # that markup after them disappears.  End comments as browsers do.
        rawdata = self.rawdata
        if rawdata.startswith('<!-->', i):
            end, body_end = i + 5, i + 4
        elif rawdata.startswith('<!--->', i):
            end, body_end = i + 6, i + 4
        else:
            m = COMMENT_END.search(rawdata, i + 4)
            if not m:
                return -1
            end, body_end = m.end(), m.start()
        if report:
            self.handle_comment(rawdata[i + 4:body_end])
        return end

    def handle_comment(self, data):
        if _looks_like_link_markup(data):
            self.features.add('links-in-comments')

    def handle_data(self, data):
        if self._raw_text and _looks_like_link_markup(data):
            if self._raw_text in ('script', 'style'):
                self.features.add('links-in-script-text')
            else:
                self.features.add('tags-in-title-textarea')

    def unknown_decl(self, data):
        if data.upper().startswith('CDATA['):
            self.features.add('cdata-section')


def _looks_like_link_markup(text):
    low = text.lower()
    return any(s in low for s in ('href=', 'src=', 'srcset=', '<a ', '<img '))


def list_links(data, all_tags=False, browser_charrefs=False):
    """Parse page bytes; return the LinkLister after the whole page."""
    parser = LinkLister(all_tags=all_tags, browser_charrefs=browser_charrefs)
    parser.feed(data.decode('latin-1'))
    parser.close()
    return parser


def iter_pages(paths):
    for path in paths:
        if os.path.isdir(path):
            for dirpath, dirnames, filenames in os.walk(path):
                dirnames.sort()
                for name in sorted(filenames):
                    if name.lower().endswith(HTML_EXTENSIONS):
                        yield os.path.join(dirpath, name)
        else:
            yield path


def main(argv=None):
    ap = argparse.ArgumentParser(
        description='List the links html.parser finds in HTML pages.')
    ap.add_argument('--all-tags', action='store_true',
                    help='also list link/script/form/media/embed/object URLs')
    ap.add_argument('--browser-charrefs', action='store_true',
                    help='decode attribute character references as browsers do')
    ap.add_argument('paths', nargs='+', metavar='PATH')
    args = ap.parse_args(argv)

    out = sys.stdout.buffer
    status = 0
    for path in iter_pages(args.paths):
        try:
            with open(path, 'rb') as f:
                data = f.read()
            parser = list_links(data, args.all_tags, args.browser_charrefs)
        except Exception as e:  # report and go on with the other pages
            print('%s: %s' % (path, e), file=sys.stderr)
            status = 1
            continue
        for w in parser.warnings:
            print('%s: %s' % (path, w), file=sys.stderr)
        epath = escape_field(os.fsencode(path))
        for line, group, value in parser.rows:
            out.write(b'%s\t%d\t%s\t%s\n'
                      % (epath, line, group.encode(), escape_field(value)))
    out.flush()
    return status


if __name__ == '__main__':
    sys.exit(main())
