"""A strict check of the HTML pages the module renders."""

from html.parser import HTMLParser

VOID_TAGS = {"meta", "link", "br", "hr", "img", "input"}


class StrictPage(HTMLParser):
    """Parses a page and records every structural fault: end tags that do not
    close the innermost open element, self-closed non-void elements, elements
    left open, and script text that could end the element early.

    It also keeps what the tests look at: the tag names, the href values of
    start tags, all text, the (attributes, text) of every script element and
    the text inside pre elements."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.errors, self.tags, self.hrefs = [], [], set(), []
        self.doctype = None
        self.text = []
        self.scripts = []  # (attributes, text) of every script element
        self.pre = []

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        self.hrefs += [value for name, value in attrs if name == "href"]
        if tag == "script":
            self.scripts.append((dict(attrs), ""))
        if tag not in VOID_TAGS:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        self.tags.add(tag)
        if tag not in VOID_TAGS:
            self.errors.append(f"self-closed <{tag}/>")

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.errors.append(f"</{tag}> closes {self.stack[-1:]}")
        else:
            self.stack.pop()

    def handle_data(self, data):
        top = self.stack[-1] if self.stack else None
        if top == "script":
            if "</" in data or "<!--" in data:
                self.errors.append("script text contains </ or <!--")
            attrs, text = self.scripts[-1]
            self.scripts[-1] = (attrs, text + data)
        elif top == "pre":
            self.pre.append(data)
        self.text.append(data)


def parse_page(page):
    """The parsed page, after checking that it is a whole HTML document with
    no structural fault and no element named evil (model text written
    unescaped)."""
    parser = StrictPage()
    parser.feed(page)
    parser.close()
    assert parser.doctype == "doctype html"
    assert parser.errors == []
    assert parser.stack == []
    assert "evil" not in parser.tags
    return parser
