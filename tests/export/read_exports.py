"""Reads the list's exported files back with Python's own parsers (csv,
json, html.parser) and compares them with what export_samples says they
hold. Usage: read_exports.py <export_samples> <folder>"""

import csv
import html.parser
import io
import json
import os
import subprocess
import sys

JSON_KEYS = {"protocol", "state", "stateName", "localIp", "localPort", "remoteIp", "remotePort", "pid",
             "processName", "processPath", "description", "company"}


def text(hex_text):
    return "" if hex_text == "-" else bytes.fromhex(hex_text).decode("utf-8")


def read_expected(path):
    captions, rows, objects, taken = [], [], [], None
    with open(path, encoding="ascii") as f:
        for line in f:
            kind, *fields = line.split()
            if kind == "captions":
                captions = [text(h) for h in fields]
            elif kind == "taken":
                taken = text(fields[0])
            elif kind == "row":
                rows.append([text(h) for h in fields])
            elif kind == "json":
                objects.append(dict(field.split("=", 1) for field in fields))
    return captions, rows, objects, taken


def check(condition, message):
    if not condition:
        raise SystemExit("FAIL: " + message)


def check_csv(path, captions, rows):
    data = open(path, "rb").read()
    check(data.startswith(b"\xef\xbb\xbf"), "CSV has no byte-order mark")
    check(b"\r\n" in data and data.endswith(b"\r\n"), "CSV lines do not end in CR LF")
    records = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
    check(records[0] == captions, "CSV captions %r" % records[0])
    check(records[1:] == rows, "CSV rows %r, expected %r" % (records[1:], rows))


def check_json(path, objects):
    with open(path, encoding="utf-8") as f:
        got = json.load(f)
    check(isinstance(got, list) and len(got) == len(objects), "JSON is not an array of %d" % len(objects))
    for obj, want in zip(got, objects):
        extra = {k for k in obj if k.endswith("Bytes")}
        check(set(obj) - extra == JSON_KEYS, "JSON keys %r" % sorted(obj))
        for key, value in want.items():
            if key.endswith("Bytes"):
                check(obj.get(key) == value, "JSON %s %r" % (key, obj.get(key)))
                check("\ufffd" in obj[key[:-5]], "JSON %s keeps no replacement mark" % key[:-5])
            elif value == "null":
                check(obj[key] is None, "JSON %s %r, expected null" % (key, obj[key]))
            elif value.startswith("#"):
                check(obj[key] == int(value[1:]), "JSON %s %r, expected %s" % (key, obj[key], value[1:]))
            else:
                check(obj[key] == text(value), "JSON %s %r, expected %r" % (key, obj[key], text(value)))


class TableReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.head, self.rows, self.time, self.tags = [], [], None, []
        self.cell = None
        self.in_time = False

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "time":
            self.in_time, self.time = True, ""

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            (self.head if tag == "th" else self.rows[-1]).append(self.cell)
            self.cell = None
        elif tag == "time":
            self.in_time = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        if self.in_time:
            self.time += data


def check_html(path, captions, rows, taken):
    page = open(path, encoding="utf-8").read()
    check(page.startswith("<!DOCTYPE html>") and '<meta charset="utf-8">' in page, "HTML head")
    reader = TableReader()
    reader.feed(page)
    reader.close()
    check("script" not in reader.tags, "a field's text became an element")
    check(not any(t in ("link", "img", "iframe") for t in reader.tags), "the page refers to other files")
    check(reader.head == captions, "HTML captions %r" % reader.head)
    body = [r for r in reader.rows if r]
    # Control characters other than tab and line feed cannot stand in a page.
    want = [[c.replace("\x1b", "\ufffd").replace("\r", "\ufffd") for c in r] for r in rows]
    check(body == want, "HTML rows %r, expected %r" % (body, want))
    check(reader.time == taken, "HTML time %r" % reader.time)


def main():
    samples, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    subprocess.run([samples, folder], check=True)
    captions, rows, objects, taken = read_expected(os.path.join(folder, "expected.txt"))
    check(len(rows) == 3 and len(objects) == 3, "expected.txt incomplete")
    check_csv(os.path.join(folder, "list.csv"), captions, rows)
    check_json(os.path.join(folder, "list.json"), objects)
    check_html(os.path.join(folder, "list.html"), captions, rows, taken)
    print("CSV, JSON and HTML read back")


if __name__ == "__main__":
    main()
