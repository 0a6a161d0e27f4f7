#!/usr/bin/env python3
"""Checks of the teachers' package (scripts/package.sh), for scripts/test.sh's package suite.

  check_package.py check ZIP ROOT WORK   checks the zip, unpacks it into WORK/unpacked (fresh)
                                         and writes the guide's example class list into
                                         WORK/examples in each encoding the guide promises;
                                         prints "ok NAME" or "FAIL NAME: why" per check, then
                                         "server HOST PORT" of the built-in update address
                                         ("server none" when the package has none)
  check_package.py serve PORT LOG        a stand-in for the maker's server on 127.0.0.1:PORT:
                                         answers the version file with "6.0", logs each request
"""
import os
import re
import shutil
import struct
import sys
import urllib.parse
import zipfile

EXPECTED = ["使用说明.txt", "rollcall.exe", "v5.15njyls.wav", "v5.15gxj.mp3"]
VERSION_PATH = "/vavedivoderizor/随机点名器版本.txt"
results = []


def check(name, ok, why=""):
    results.append(ok)
    print(f"ok {name}" if ok else f"FAIL {name}: {why}", flush=True)


def pe_facts(exe, at=0):
    """(COFF time stamp, section names) of the PE image at offset `at`; None when there is none."""
    if len(exe) < at + 0x40 or exe[at:at + 2] != b"MZ":
        return None
    pe = at + struct.unpack_from("<I", exe, at + 0x3C)[0]
    if pe + 24 > len(exe) or exe[pe:pe + 4] != b"PE\0\0":
        return None
    sections, stamp, _, _, opt_size = struct.unpack_from("<HIIIH", exe, pe + 6)
    table = pe + 24 + opt_size
    if table + 40 * sections > len(exe):
        return None
    names = [exe[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("latin-1")
             for i in range(sections)]
    return stamp, names


def default_update_server(root):
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        m = re.search(r'set\(ROLLCALL_UPDATE_SERVER\s+"([^"]*)"\s+CACHE', f.read())
    return m.group(1) if m else ""


def example_class_list(md):
    """The guide's example file (its first ini block) and the names it promises: keys 1, 2, ...
    of the class list up to the first empty one."""
    m = re.search(r"```ini\n(.*?)```", md, re.S)
    if not m:
        return "", []
    text, names, section = m.group(1), [], None
    values = {}
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip()[1:-1]
        elif "=" in line and section == "全班人名：":
            key, value = line.split("=", 1)
            values[key.strip()] = value.strip()
    for k in range(1, 51):
        if not values.get(str(k)):
            break
        names.append(values[str(k)])
    return text, names


def run_check(zip_path, root, work):
    with zipfile.ZipFile(zip_path) as z:
        infos = z.infolist()
        names = [i.filename for i in infos]
        check("entries", names == EXPECTED, f"{names}")
        check("utf8-name-flag", all(i.flag_bits & 0x800 for i in infos if not i.filename.isascii()),
              "a non-ASCII name without the UTF-8 flag")
        check("fixed-dates", len({i.date_time for i in infos}) == 1, "entries differ in date")
        data = {i.filename: z.read(i) for i in infos}

    with open(os.path.join(root, "docs", "使用说明.md"), encoding="utf-8") as f:
        md = f.read()
    guide = data.get("使用说明.txt", b"")
    try:
        text = guide.decode("gbk")
        check("guide-gbk", True)
    except UnicodeDecodeError as e:
        text = ""
        check("guide-gbk", False, str(e))
    check("guide-crlf", guide.count(b"\n") > 0 and guide.count(b"\n") == guide.count(b"\r\n"),
          "a line end that is not CRLF")
    headings = re.findall(r"^#+\s+(.*)$", md, re.M)
    missing = [h for h in headings if h not in text]
    check("guide-from-markdown", headings and not missing, f"headings not in the text: {missing}")

    exe = data.get("rollcall.exe", b"")
    facts = pe_facts(exe)
    check("exe-size", 0 < len(exe) < 4 * 1024 * 1024, f"{len(exe)} bytes")
    check("exe-stripped", facts is not None and not any(
        n.startswith((".debug", ".zdebug", "/")) for n in facts[1]), f"sections {facts}")
    # Zero stamps keep two builds of the same sources byte for byte the same; the program
    # carries the skin library, a PE image of its own.
    images = [f for f in (pe_facts(exe, m.start()) for m in re.finditer(b"MZ", exe)) if f]
    check("exe-no-timestamp", len(images) >= 2 and all(f[0] == 0 for f in images),
          f"stamps {[f[0] for f in images]}")
    # Which address the program asks is seen at run time: the end-to-end scenarios serve the
    # update address of CMakeLists.txt's defaults, and only that.
    server = default_update_server(root)

    unpacked = os.path.join(work, "unpacked")
    shutil.rmtree(unpacked, ignore_errors=True)
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(unpacked)
    check("unpacked", sorted(os.listdir(unpacked)) == sorted(EXPECTED), os.listdir(unpacked))

    example, names = example_class_list(md)
    check("guide-example", len(names) >= 3 and all(n in text for n in names),
          f"names {names}")
    examples = os.path.join(work, "examples")
    shutil.rmtree(examples, ignore_errors=True)
    os.makedirs(examples)
    crlf = example.replace("\n", "\r\n")
    for name, data in (("gbk.ini", crlf.encode("gbk")),
                       ("utf8-bom.ini", b"\xef\xbb\xbf" + crlf.encode("utf-8")),
                       ("utf8.ini", crlf.encode("utf-8")),
                       ("utf16.ini", b"\xff\xfe" + crlf.encode("utf-16-le"))):
        with open(os.path.join(examples, name), "wb") as f:
            f.write(data)
    with open(os.path.join(examples, "names.txt"), "wb") as f:
        f.write("".join(n + "\r\n" for n in names).encode("gbk"))

    if not server:
        print("server none")
        return all(results)
    url = urllib.parse.urlsplit(server)
    check("update-server-http", url.scheme == "http" and url.hostname, server)
    print(f"server {url.hostname} {url.port or 80}")
    return all(results)


def run_server(port, log):
    import http.server

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = urllib.parse.unquote(self.path)
            known = path == VERSION_PATH
            with open(log, "a", encoding="ascii") as f:
                f.write(f"{'version' if known else 'other'} {self.command} "
                        f"{urllib.parse.quote(path)} {self.headers.get('Host', '')}\n")
            body = b"6.0" if known else b"not found"
            self.send_response(200 if known else 404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    open(log, "w").close()
    http.server.HTTPServer(("127.0.0.1", port), Handler).serve_forever()


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "check":
        sys.exit(0 if run_check(*sys.argv[2:]) else 1)
    if len(sys.argv) == 4 and sys.argv[1] == "serve":
        run_server(int(sys.argv[2]), sys.argv[3])
    print(__doc__, file=sys.stderr)
    sys.exit(2)
