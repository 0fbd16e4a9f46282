#!/usr/bin/python3
"""Checks the HTML manual: every page parses with its tags closed, and every link between the
pages (and to an anchor in them) leads somewhere. Prints what is wrong; exit 1 when anything is.

    check-help-links.py HELP_DIR
"""
import html.parser
import pathlib
import sys

VOID = {"meta", "link", "br", "img", "hr", "input"}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.links, self.open, self.errors = set(), [], [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag == "link" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag not in VOID:
            self.open.append((tag, self.getpos()[0]))

    def handle_endtag(self, tag):
        if not self.open or self.open[-1][0] != tag:
            self.errors.append(f"line {self.getpos()[0]}: </{tag}> closes "
                               f"{self.open[-1] if self.open else 'nothing'}")
            return
        self.open.pop()


def main(folder):
    folder = pathlib.Path(folder)
    pages = {}
    for path in sorted(folder.glob("*.html")):
        page = Page()
        page.feed(path.read_text(encoding="utf-8"))
        page.close()
        pages[path.name] = page
    problems = []
    for name, page in pages.items():
        problems += [f"{name}: {e}" for e in page.errors]
        problems += [f"{name}: <{t}> from line {n} not closed" for t, n in page.open]
        for link in page.links:
            if "://" in link:
                problems.append(f"{name}: links outside the manual: {link}")
                continue
            target, _, anchor = link.partition("#")
            target = target or name
            if not (folder / target).exists():
                problems.append(f"{name}: {link}: no file {target}")
            elif anchor and anchor not in pages.get(target, Page()).ids:
                problems.append(f"{name}: {link}: no id {anchor} in {target}")
    for p in problems:
        print(p)
    print(f"{len(pages)} pages, {sum(len(p.links) for p in pages.values())} links, "
          f"{len(problems)} problems")
    return 1 if problems or not pages else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
