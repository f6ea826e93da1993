#!/usr/bin/env python3
"""Produces the exhibit pictures of the question bank in ../exhibits. Run once,
by hand; the pictures are committed and the build only copies them.

Raster pictures (bmp, ico) are drawn with ImageMagick's convert (the Debian
package, installed just for this); metafiles (wmf, emf) are written by
metafile.py. Keep every picture small: tens of KB at most.
"""
import os
import struct
import subprocess

from metafile import Drawing, emf, wmf

CONVERT = "/usr/bin/convert"
MONO = "DejaVu-Sans-Mono"
SANS = "DejaVu-Sans"


def terminal(name, lines, width, fmt="bmp", size=13, line_height=17):
    """A terminal window: light text on a dark background, one line per entry.
    An entry is a string or (string, colour). Keep the width a multiple of 4:
    convert's RLE8 encoder otherwise codes the row padding as pixels."""
    height = 14 + line_height * len(lines)
    args = [CONVERT, "-size", f"{width}x{height}", "xc:#1e1e1e", "+antialias",
            "-font", MONO, "-pointsize", str(size)]
    for i, entry in enumerate(lines):
        text, color = (entry, "#e0e0e0") if isinstance(entry, str) else entry
        args += ["-fill", color, "-annotate", f"+8+{8 + line_height * (i + 1) - 4}", keep_indent(text)]
    raster(args, name, fmt)


def keep_indent(text):
    """convert's -annotate drops the blanks a text starts with, which would
    shift an indented line (a table's header row) left of the columns below
    it; no-break spaces have the same advance in a monospaced font and stay."""
    stripped = text.lstrip(" ")
    return "\u00a0" * (len(text) - len(stripped)) + stripped


def raster(args, name, fmt):
    if fmt == "bmp":
        subprocess.run(args + ["-type", "Palette", "-compress", "RLE", f"BMP3:{name}"], check=True)
    else:
        subprocess.run(args + ["-colors", "16", "-type", "Palette", "-compress", "None",
                               "BMP3:/tmp/icon.bmp"], check=True)
        write_icon("/tmp/icon.bmp", name)


def write_icon(bmp_path, ico_path):
    """Wraps an uncompressed palette bitmap (at most 256 x 256) into an icon file:
    the DIB with its height doubled, followed by an all-opaque AND mask."""
    data = open(bmp_path, "rb").read()
    off_bits = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    assert width <= 256 and height <= 256 and bits <= 8
    dib = bytearray(data[14:off_bits])
    struct.pack_into("<i", dib, 8, 2 * height)
    struct.pack_into("<I", dib, 20, 0)               # image size: 0 is fine uncompressed
    stride = ((width * bits + 31) // 32) * 4
    xor = data[off_bits:off_bits + stride * height]
    mask = bytes(((width + 31) // 32) * 4 * height)
    image = bytes(dib) + xor + mask
    colors = 1 << bits
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, colors % 256, 0, 1, bits,
                        len(image), 6 + 16)
    open(ico_path, "wb").write(struct.pack("<HHH", 0, 1, 1) + entry + image)


# ------------------------------------------------------------ bitmaps

def lsblk_bmp():
    terminal("lsblk.bmp", [
        ("$ lsblk -f --ascii", "#8ae234"),
        "NAME          FSTYPE      LABEL   UUID                                 MOUNTPOINTS",
        "sda",
        "`-sda1        ext4        backup  5d1c2e7a-0b7e-4c1f-9a6e-3f2b8c1d4e90",
        "nvme0n1",
        "|-nvme0n1p1   vfat        EFI     7A3C-91D2                            /boot/efi",
        "|-nvme0n1p2   ext4        boot    b9e6f0a4-2d71-4e6b-8f3a-6c0d52e1a7b3 /boot",
        "`-nvme0n1p3   ext4        root    0f4a8c2e-7d19-4b53-a1e6-9c3f5b7d2e18 /",
    ], 760)


def fstab_bmp():
    terminal("fstab.bmp", [
        ("$ cat /etc/fstab", "#8ae234"),
        "# <file system>                           <mount point> <type> <options>         <dump> <pass>",
        "UUID=0f4a8c2e-7d19-4b53-a1e6-9c3f5b7d2e18 /              ext4   errors=remount-ro 0      1",
        "UUID=b9e6f0a4-2d71-4e6b-8f3a-6c0d52e1a7b3 /boot          ext4   defaults          0      2",
        "UUID=7A3C-91D2                            /boot/efi      vfat   umask=0077        0      1",
        "UUID=5d1c2e7a-0b7e-4c1f-9a6e-3f2b8c1d4e09 /srv/backup    ext4   defaults          0      2",
    ], 852, size=12, line_height=16)


def journal_bmp():
    terminal("journal.bmp", [
        ("$ journalctl -u nightly-sync.service -b --no-pager", "#8ae234"),
        "Mar 04 02:00:01 ws17 systemd[1]: Starting nightly-sync.service - Copy projects to the NAS...",
        "Mar 04 02:00:02 ws17 sync-projects[2211]: rsync: [Receiver] mkdir \"/mnt/nas/daily/2024-03-04\"",
        "Mar 04 02:00:02 ws17 sync-projects[2211]:   failed: Permission denied (13)",
        "Mar 04 02:00:02 ws17 sync-projects[2211]: rsync error: error in file IO (code 11)",
        ("Mar 04 02:00:02 ws17 systemd[1]: nightly-sync.service: Main process exited, code=exited, status=11/n/a", "#ef2929"),
        ("Mar 04 02:00:02 ws17 systemd[1]: nightly-sync.service: Failed with result 'exit-code'.", "#ef2929"),
        "Mar 04 02:00:02 ws17 systemd[1]: Failed to start nightly-sync.service - Copy projects to the NAS.",
    ], 860, size=12, line_height=16)


def free_bmp():
    terminal("memory.bmp", [
        ("$ free -h", "#8ae234"),
        "               total        used        free      shared  buff/cache   available",
        "Mem:            15Gi       5.8Gi       412Mi       611Mi       9.6Gi        9.1Gi",
        "Swap:          8.0Gi          0B       8.0Gi",
    ], 680)


def listing_bmp():
    terminal("listing.bmp", [
        ("$ ls -la /srv/studio", "#8ae234"),
        "total 24",
        "drwxrws--T  3 root   design 4096 Mar  4 09:12 .",
        "drwxr-xr-x  6 root   root   4096 Feb 11 15:40 ..",
        "drwxrws--T  2 mira   design 4096 Mar  4 09:12 drafts",
        "-rw-rw----  1 mira   design 8310 Mar  4 09:02 logo.svg",
        "-rw-r-----  1 tomas  design 2051 Mar  3 17:45 notes.txt",
    ], 520)


def polkit_bmp():
    """An authentication dialog of the desktop asking for another user's password."""
    w, h = 440, 250
    args = [CONVERT, "-size", f"{w}x{h}", "xc:#f6f5f4", "+antialias",
            "-fill", "#ffffff", "-stroke", "#b0b0b0", "-draw", "rectangle 0,0 439,249",
            "-stroke", "none", "-font", f"{SANS}-Bold", "-pointsize", "15", "-fill", "#202020",
            "-annotate", "+140+34", "Authentication Required",
            "-font", SANS, "-pointsize", "12",
            "-annotate", "+28+66", "Authentication is required to install software.",
            "-fill", "#3584e4", "-draw", "circle 220,110 220,88",
            "-fill", "#ffffff", "-font", f"{SANS}-Bold", "-pointsize", "18", "-annotate", "+213+117", "A",
            "-fill", "#202020", "-font", SANS, "-pointsize", "13",
            "-annotate", "+148+152", "Administrator (ahmed)",
            "-fill", "#ffffff", "-stroke", "#909090", "-draw", "rectangle 40,166 400,192",
            "-stroke", "none", "-fill", "#808080", "-pointsize", "12", "-annotate", "+50+184", "Password",
            "-fill", "#deddda", "-draw", "rectangle 0,208 219,249",
            "-fill", "#3584e4", "-draw", "rectangle 220,208 439,249",
            "-fill", "#202020", "-annotate", "+86+233", "Cancel",
            "-fill", "#ffffff", "-annotate", "+285+233", "Authenticate"]
    raster(args, "polkit.bmp", "bmp")


# ------------------------------------------------------------ icons

def umask_ico():
    terminal("umask.ico", [
        ("$ umask", "#8ae234"),
        "0027",
        ("$ touch report.txt", "#8ae234"),
        ("$ mkdir drafts", "#8ae234"),
        ("$ ls -ld report.txt drafts", "#8ae234"),
        "?",
    ], 256, fmt="ico", size=12, line_height=16)


def cron_ico():
    terminal("crontab.ico", [
        ("$ crontab -l", "#8ae234"),
        "# m h dom mon dow command",
        "30 2 * * 1-5 /home/lea/bin/sync",
        "*/15 9-17 * * * /home/lea/bin/poll",
    ], 256, fmt="ico", size=11, line_height=16)


# ------------------------------------------------------------ metafiles

def box(d, x, y, w, h, title, lines, fill=0xDCE9F7):
    d.rect(x, y, w, h, fill=fill, pen=0x3A5F8F)
    d.text(x + 8, y + 6, title, 14, bold=True)
    for i, line in enumerate(lines):
        d.text(x + 8, y + 28 + 17 * i, line, 12)


def network_wmf():
    d = Drawing(620, 330)
    d.text(12, 10, "Home office network", 16, bold=True)
    box(d, 20, 60, 230, 110, "Workstation ws-anna", [
        "IPv4 address: 192.168.10.25/24", "Gateway: 192.168.1.1", "DNS: 192.168.10.1", "Method: Manual"])
    box(d, 20, 220, 230, 80, "Printer", ["192.168.10.40/24"], fill=0xEDEDED)
    box(d, 360, 60, 240, 90, "Router", ["LAN: 192.168.10.1/24", "WAN: DHCP from provider"], fill=0xE3F1DF)
    d.rect(300, 180, 60, 26, fill=0xFFF4C2, pen=0x7F6A00)
    d.text(307, 186, "switch", 12)
    d.line(250, 115, 330, 180, 0x404040)
    d.line(250, 260, 330, 206, 0x404040)
    d.line(330, 180, 430, 150, 0x404040)
    d.arrow(480, 150, 480, 250, 0x404040)
    d.text(450, 258, "Internet", 14, bold=True)
    open("network.wmf", "wb").write(wmf(d))


def disk_plan_wmf():
    d = Drawing(700, 300)
    d.text(12, 10, "Planned layout: 1 TB NVMe disk, GPT, UEFI firmware, 32 GB RAM", 15, bold=True)
    d.rect(20, 60, 660, 60, fill=0xFFFFFF, pen=0x000000)
    parts = [(20, 40, 0xF6D365, "p1"), (60, 40, 0xA0C4FF, "p2"), (100, 580, 0xCDEAC0, "p3")]
    for x, w, color, label in parts:
        d.rect(x, 60, w, 60, fill=color, pen=0x000000)
        d.text(x + 8, 82, label, 13, bold=True)
    d.text(220, 82, "LVM physical volume (volume group vg0)", 13)
    # One text per cell: the metafile font is proportional, so blanks cannot align columns.
    rows = [
        ("p1", "600 MB", "EFI System Partition, FAT32, /boot/efi", ""),
        ("p2", "1 GB", "ext4, /boot", ""),
        ("p3", "999 GB", "LVM physical volume, volume group vg0:", ""),
        ("", "vg0/root", "80 GB", "ext4, /"),
        ("", "vg0/swap", "4 GB", "swap"),
        ("", "vg0/home", "850 GB", "ext4, /home"),
        ("", "free", "65 GB", "(not allocated)"),
    ]
    for i, row in enumerate(rows):
        y = 140 + 20 * i
        indent = 0 if row[0] else 40
        for x, cell in zip([24, 64 + indent, 150 + indent, 250 + indent], row):
            if cell:
                d.text(x, y, cell, 13)
    open("disk_plan.wmf", "wb").write(wmf(d))


def datetime_wmf():
    d = Drawing(520, 300, background=0xFAFAFA)
    d.text(20, 14, "Settings - System - Date & Time", 16, bold=True)
    rows = [("Automatic Date & Time", "Off", "Requires internet access"),
            ("Date & Time", "14 March 2024, 09:41", ""),
            ("Automatic Time Zone", "Off", ""),
            ("Time Zone", "UTC (GMT+0)", ""),
            ("Time Format", "24-hour", "")]
    for i, (label, value, note) in enumerate(rows):
        y = 56 + 46 * i
        d.rect(20, y, 480, 42, fill=0xFFFFFF, pen=0xD0D0D0)
        d.text(32, y + 6, label, 13, bold=True)
        if note:
            d.text(32, y + 24, note, 11, color=0x707070)
        d.text(330, y + 13, value, 13)
    open("datetime.wmf", "wb").write(wmf(d))


def jump_emf():
    d = Drawing(700, 280)
    d.text(12, 10, "Access to the build network", 16, bold=True)
    box(d, 20, 80, 150, 80, "laptop", ["user: dev", "home network"], fill=0xEDEDED)
    box(d, 250, 80, 190, 80, "bastion.example.org", ["public address", "sshd on port 22"], fill=0xE3F1DF)
    box(d, 520, 80, 160, 80, "build01", ["10.20.4.15", "sshd on port 22"])
    d.arrow(170, 120, 250, 120, 0x206020)
    d.arrow(440, 120, 520, 120, 0x206020)
    d.rect(490, 60, 200, 200, fill=None, pen=0x3A5F8F)
    d.text(498, 236, "internal network 10.20.0.0/16", 11)
    d.text(20, 200, "Firewall: from the internet only TCP 22 to the bastion is allowed.", 12)
    d.text(20, 220, "The same account \"dev\" exists on both servers.", 12)
    open("jump_host.emf", "wb").write(emf(d))


def zones_emf():
    d = Drawing(640, 300, background=0xFAFAFA)
    d.text(16, 12, "Firewall configuration (runtime)", 16, bold=True)
    headers = ["Zone", "Interfaces", "Services", "Default"]
    xs = [20, 140, 280, 560]
    d.rect(16, 44, 608, 28, fill=0xDDE4EE, pen=0xA0A0A0)
    for x, h in zip(xs, headers):
        d.text(x, 50, h, 13, bold=True)
    rows = [("public", "wlp2s0", "dhcpv6-client, mdns", "yes"),
            ("home", "enp3s0", "dhcpv6-client, mdns, ssh,", ""),
            ("", "", "samba-client", ""),
            ("trusted", "-", "(all traffic accepted)", "")]
    for i, row in enumerate(rows):
        y = 72 + 28 * i
        d.rect(16, y, 608, 28, fill=0xFFFFFF, pen=0xD0D0D0)
        for x, cell in zip(xs, row):
            d.text(x, y + 7, cell, 13)
    d.text(16, 200, "Wired: enp3s0 192.168.1.20/24     Wi-Fi: wlp2s0 192.168.50.20/24", 12)
    open("zones.emf", "wb").write(emf(d))


def printers_emf():
    d = Drawing(620, 260, background=0xFFFFFF)
    d.text(16, 12, "Print server - Printers", 16, bold=True)
    d.rect(16, 44, 588, 28, fill=0xDDE4EE, pen=0xA0A0A0)
    for x, h in zip([24, 190, 340], ["Queue", "Location", "Status"]):
        d.text(x, 50, h, 13, bold=True)
    d.rect(16, 72, 588, 46, fill=0xFFFFFF, pen=0xD0D0D0)
    d.text(24, 80, "Office_Laser", 13)
    d.text(190, 80, "Room 2.14", 13)
    d.text(340, 80, "Paused, accepting jobs", 13, color=0xB00000)
    d.text(340, 98, "\"Paused by user admin\"", 11, color=0x707070)
    d.text(16, 140, "Jobs", 14, bold=True)
    for i, line in enumerate(["Office_Laser-118   mira    212 KB   pending since 08:55",
                              "Office_Laser-119   tomas    48 KB   pending since 09:10",
                              "Office_Laser-120   mira    1.1 MB   pending since 09:32"]):
        d.text(24, 166 + 20 * i, line, 12)
    open("printers.emf", "wb").write(emf(d))


if __name__ == "__main__":
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exhibits"))
    lsblk_bmp(); fstab_bmp(); journal_bmp(); free_bmp(); listing_bmp(); polkit_bmp()
    umask_ico(); cron_ico()
    network_wmf(); disk_plan_wmf(); datetime_wmf()
    jump_emf(); zones_emf(); printers_emf()
