#!/usr/bin/env python3
"""Writes the sample product's bulky data files (databases, indexes, fonts, print templates,
documents, bitmaps, help, rich text) into a product folder from the size table, so that only
small text files need to live in the repository.

Each kind looks like what a real product ships, so that the files compress the way a real
product's do: databases are fixed-length records of Chinese (GBK) and ASCII text and numbers,
indexes sorted keys with record numbers, templates and documents structured text; help files,
compressed by their own format, are pseudo-random bytes.

The bytes depend only on each file's path and size: two runs give identical files, and so do two
machines. Usage: generate.py <table.tsv> <product-dir>
"""

import datetime
import hashlib
import os
import random
import struct
import sys


def stream(path, size):
    """Deterministic pseudo-random bytes for one file (SHAKE-256 keyed by its path)."""
    return hashlib.shake_256(("korvello-sample:" + path).encode("utf-8")).digest(size)


def rng_for(path):
    """A random generator of its own for each file, seeded by the file's path only."""
    return random.Random(int.from_bytes(stream(path, 32), "big"))


# Small vocabularies the generated records, keys and texts draw from.
SURNAMES = (
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕"
    "丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛段雷侯龙史陶黎贺顾毛郝龚邵万钱严武戴"
)
GIVEN = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华建国志文辉玉萍红梅鹏飞云海波宁琳晨雪峰斌凯佳慧婷鑫浩宇欣怡"
PLACES = [
    ("北京市", ["东城区", "西城区", "朝阳区", "海淀区", "丰台区"]),
    ("上海市", ["黄浦区", "徐汇区", "静安区", "浦东新区", "闵行区"]),
    ("广东省", ["广州市", "深圳市", "佛山市", "东莞市", "珠海市"]),
    ("江苏省", ["南京市", "苏州市", "无锡市", "常州市", "扬州市"]),
    ("浙江省", ["杭州市", "宁波市", "温州市", "绍兴市", "嘉兴市"]),
    ("山东省", ["济南市", "青岛市", "烟台市", "潍坊市", "淄博市"]),
    ("四川省", ["成都市", "绵阳市", "德阳市", "宜宾市"]),
    ("湖北省", ["武汉市", "宜昌市", "襄阳市", "荆州市"]),
    ("河南省", ["郑州市", "洛阳市", "开封市", "新乡市"]),
    ("福建省", ["福州市", "厦门市", "泉州市", "漳州市"]),
]
STREETS = "人民路 解放路 中山路 建设路 和平路 新华路 长江路 黄河路 胜利路 文化路 东风路 光明路 青年路 朝阳路 工业路 学府路".split()
FIRMS = "华兴 宏达 金利 新世纪 永安 恒通 东方 联合 天成 远大 鑫源 嘉禾 信达 利民 华联 万通".split()
TRADES = "科技 贸易 电子 商贸 印务 文具 软件 物资 办公设备 电脑".split()
FIRM_FORMS = "有限公司 实业公司 商行 经营部 有限责任公司".split()
GOODS = (
    "复印纸 打印机 墨盒 硒鼓 键盘 鼠标 显示器 文件夹 订书机 计算器 光盘 笔记本 签字笔 档案盒 标签纸 碳带 扫描仪 "
    "传真机 电话机 色带 打印纸 装订机"
).split()
UNITS = "个 台 盒 包 箱 支 本 张 套 卷".split()
# Characters with their pinyin, for word-library entries whose spelling matches their reading.
PINYIN = (
    "安an 白bai 办ban 包bao 报bao 北bei 本ben 表biao 部bu 材cai 操cao 产chan 长chang 成cheng 程cheng "
    "出chu 处chu 存cun 打da 大da 单dan 档dang 的de 地di 电dian 定ding 动dong 度du 对dui 发fa 法fa "
    "方fang 分fen 服fu 改gai 高gao 格ge 工gong 公gong 管guan 国guo 行hang 号hao 合he 和he 户hu 华hua "
    "化hua 回hui 会hui 机ji 计ji 记ji 价jia 件jian 检jian 键jian 建jian 交jiao 教jiao 结jie 金jin "
    "进jin 经jing 据ju 开kai 科ke 客ke 库ku 类lei 理li 量liang 录lu 码ma 面mian 名ming 模mo 目mu "
    "能neng 年nian 排pai 品pin 期qi 器qi 区qu 确que 人ren 日ri 入ru 设she 生sheng 时shi 使shi 示shi "
    "事shi 试shi 输shu 数shu 说shuo 搜sou 算suan 索suo 体ti 条tiao 通tong 统tong 图tu 外wai 网wang "
    "文wen 务wu 系xi 显xian 线xian 项xiang 效xiao 新xin 信xin 修xiu 选xuan 学xue 样yang 业ye 页ye "
    "用yong 由you 员yuan 源yuan 运yun 在zai 增zeng 展zhan 章zhang 帐zhang 证zheng 值zhi 制zhi 中zhong "
    "主zhu 注zhu 资zi 字zi 自zi 总zong 组zu 作zuo"
).split()
PHRASES = [
    "请按时核对库存数量", "本单据一式三联", "货到付款", "已开具增值税发票", "客户要求加急发货", "质量合格",
    "请妥善保管", "按合同约定执行", "月底统一结算", "退货需附原始单据", "此价格含税", "送货上门",
    "数据已备份", "本记录由系统自动生成", "如有疑问请联系客服", "样品免费提供", "长期合作客户",
    "包装完好无破损", "已电话确认", "下次订货时一并处理", "库存不足需补货", "请在三日内回复",
]
SENTENCES = [
    "打开文件后，在编辑区输入正文，系统会自动保存修改。", "选择“文件”菜单中的“打印”命令，可以按模板打印当前文档。",
    "词库中的词语按拼音排序，输入编码后即可快速查找。", "用户可以在选项中设置字体、字号和页面边距。",
    "备份数据时请关闭其他正在运行的程序。", "表格中的金额以元为单位，保留两位小数。",
    "模板中的字段与数据库的字段一一对应。", "新建文档时可以选择一个示例作为起点。",
    "按下快捷键可以在中文和英文输入之间切换。", "打印前请先预览，确认版面无误后再输出。",
    "如果检索结果过多，可以增加条件缩小范围。", "每条记录都有唯一的编号，删除后编号不再使用。",
]


def cumulative_weights(count):
    """Zipf-like weights: a few values are common and most are rare, as in real data."""
    total, weights = 0.0, []
    for rank in range(count):
        total += 1.0 / (rank + 1) ** 0.8
        weights.append(total)
    return weights


class Vocabulary:
    """Draws the values of one file from its own generator."""

    def __init__(self, rng):
        self.rng = rng

    def name(self):
        r = self.rng
        return r.choice(SURNAMES) + "".join(r.choice(GIVEN) for _ in range(r.choice((1, 2, 2))))

    def address(self):
        r = self.rng
        province, cities = r.choice(PLACES)
        return f"{province}{r.choice(cities)}{r.choice(STREETS)}{r.randint(1, 399)}号"

    def company(self):
        r = self.rng
        province, cities = r.choice(PLACES)
        return cities[0][:2] + r.choice(FIRMS) + r.choice(TRADES) + r.choice(FIRM_FORMS)

    def word(self):
        chars = self.rng.sample(PINYIN, self.rng.choice((2, 2, 2, 3, 4)))
        return "".join(c[0] for c in chars), [c[1:] for c in chars]

    def memo(self):
        return "，".join(self.rng.sample(PHRASES, self.rng.choice((1, 1, 2)))) + "。"

    def sentence(self):
        return self.rng.choice(SENTENCES)


def fit(text, width, right=False):
    """The GBK bytes of text padded with spaces (or cut at a character) to exactly width."""
    data = text.encode("gbk")
    while len(data) > width:
        text = text[:-1]
        data = text.encode("gbk")
    return data.rjust(width) if right else data.ljust(width)


def pool(rng, width, count, make):
    """count values of one text field (duplicates allowed), picked with Zipf-like frequencies."""
    values = [fit(make(), width) for _ in range(count)]
    weights = cumulative_weights(count)
    return lambda n: rng.choices(values, cum_weights=weights, k=n)


def dates(rng, n):
    base = datetime.date(1996, 1, 1).toordinal()
    return [datetime.date.fromordinal(base + rng.randrange(3000)).strftime("%Y%m%d").encode()
            for _ in range(n)]


# The record layouts: name, dBase-like type, width and a maker of n values for it. The last field
# is a remark that takes what is left of the record.
def trade_fields(rng, vocab):
    return [
        ("ID", "N", 8, lambda n: [b"%08d" % (i + 1) for i in range(n)]),
        ("CODE", "C", 10, lambda n: [b"KV%02d%06d" % (rng.randrange(20), rng.randrange(10**6))
                                     for _ in range(n)]),
        ("DATE", "D", 8, lambda n: dates(rng, n)),
        ("CONTACT", "C", 8, pool(rng, 8, 1500, vocab.name)),
        ("GOODS", "C", 10, pool(rng, 10, len(GOODS), lambda: rng.choice(GOODS))),
        ("QTY", "N", 6, lambda n: [b"%6d" % min(int(rng.paretovariate(1.2)), 99999)
                                   for _ in range(n)]),
        ("UNIT", "C", 2, pool(rng, 2, len(UNITS), lambda: rng.choice(UNITS))),
        ("PRICE", "N", 10, lambda n: [b"%10.2f" % (rng.randrange(100, 500000) / 100)
                                      for _ in range(n)]),
        ("AMOUNT", "N", 12, lambda n: [b"%12.2f" % (rng.randrange(100, 5000000) / 100)
                                       for _ in range(n)]),
        ("PAID", "L", 1, lambda n: [b"F" if rng.random() < 0.2 else b"T" for _ in range(n)]),
        ("CUSTOMER", "C", 30, pool(rng, 30, 600, vocab.company)),
        ("PHONE", "C", 13, lambda n: [b"0%03d-%08d" % (rng.randrange(100, 1000),
                                                      rng.randrange(10**7, 10**8))
                                      for _ in range(n)]),
        ("ADDRESS", "C", 40, pool(rng, 40, 1500, vocab.address)),
    ], ("REMARK", "C", pool_maker(rng, vocab.memo))


def word_fields(rng, vocab):
    words = [vocab.word() for _ in range(4000)]
    picks = []

    def word_column(n):
        picks[:] = rng.choices(words, k=n)
        return [fit(w, 8) for w, _ in picks]

    return [
        ("ID", "N", 7, lambda n: [b"%07d" % (i + 1) for i in range(n)]),
        ("WORD", "C", 8, word_column),
        ("PINYIN", "C", 24, lambda n: [fit("".join(p), 24) for _, p in picks]),
        ("CODE", "C", 4, lambda n: [fit("".join(s[0] for s in p), 4) for _, p in picks]),
        ("FREQ", "N", 6, lambda n: [b"%6d" % min(int(rng.paretovariate(0.9)), 99999)
                                   for _ in range(n)]),
        ("CLASS", "N", 2, lambda n: [b"%02d" % rng.randrange(12) for _ in range(n)]),
        ("ADDED", "D", 8, lambda n: dates(rng, n)),
        ("USER", "C", 8, pool(rng, 8, 300, vocab.name)),
    ], ("NOTE", "C", pool_maker(rng, vocab.memo))


def pool_maker(rng, make):
    return lambda width: pool(rng, width, 400, make)


LAYOUTS = {"trade": trade_fields, "words": word_fields}


def make_db(path, size, arg):
    """A database table: a header that describes the fields, then fixed-length records of
    space-padded text and numbers (a deletion mark first), then an end-of-file mark."""
    record_text, _, layout = arg.partition(":")
    record_size = int(record_text)
    rng = rng_for(path)
    fields, (last_name, last_type, last_pool) = LAYOUTS[layout or "trade"](rng, Vocabulary(rng))
    chosen, used = [], 1
    for field in fields:
        if used + field[2] <= record_size:
            chosen.append(field)
            used += field[2]
    if used < record_size:
        width = record_size - used
        chosen.append((last_name, last_type, width, last_pool(width)))
    descriptors = b"".join(struct.pack("<11scB", name.encode(), kind.encode(), width)
                           for name, kind, width, _ in chosen)
    header_size = -(-(32 + len(descriptors) + 1) // record_size) * record_size
    count = (size - header_size - 1) // record_size
    if count < 1:
        raise ValueError(f"{path}: {size} bytes is too small for records of {record_size}")
    header = struct.pack("<4sIIHH16x", b"KDB\x01", count, header_size, record_size, len(chosen))
    header = (header + descriptors + b"\r").ljust(header_size, b"\0")
    marks = [b"*" if rng.random() < 0.02 else b" " for _ in range(count)]
    columns = [make(count) for _, _, _, make in chosen]
    records = b"".join(map(b"".join, zip(marks, *columns)))
    if len(records) != count * record_size:
        raise ValueError(f"{path}: a field's values are not all of the field's width")
    return (header + records + b"\x1a").ljust(size, b"\0")


def make_idx(path, size, arg):
    """An index: a header page, then the keys in byte order, each with its record number."""
    key_size = int(arg or 12)
    rng = rng_for(path)
    vocab = Vocabulary(rng)
    entry = key_size + 4
    count = (size - 512) // entry
    if count < 1:
        raise ValueError(f"{path}: {size} bytes is too small for an index")
    style = rng.randrange(3)
    if style == 0:
        keys = [fit("".join(vocab.word()[1]), key_size) for _ in range(count)]
    elif style == 1:
        keys = [fit(vocab.name(), key_size) for _ in range(count)]
    else:
        keys = [b"KV%02d%06d" % (rng.randrange(20), rng.randrange(10**6)) for _ in range(count)]
        keys = [fit(k.decode(), key_size) for k in keys]
    keys.sort()
    numbers = rng.sample(range(1, count * 2 + 1), count)
    header = struct.pack("<4sIHH", b"KIX\x01", count, key_size, style).ljust(512, b"\0")
    body = b"".join(k + struct.pack("<I", n) for k, n in zip(keys, numbers))
    return (header + body).ljust(size, b"\0")


def make_font(path, size, arg):
    """A bitmap font: one glyph of N rows of N bits for each character code, made of strokes."""
    cell = int(arg or 16)
    rng = rng_for(path)
    row_bytes = cell // 8
    glyph_size = cell * row_bytes
    if size < 64:
        raise ValueError(f"{path}: {size} bytes is too small for a font")
    count = (size - 64) // glyph_size
    full = (1 << cell) - 1
    glyphs = []
    for _ in range(count):
        rows = [0] * cell
        for _ in range(rng.randint(2, 5)):  # horizontal strokes
            y, x0 = rng.randrange(1, cell - 1), rng.randrange(1, cell // 2)
            x1 = rng.randrange(x0 + 2, cell)
            rows[y] |= (full >> x0) & ~(full >> x1)
        for _ in range(rng.randint(1, 4)):  # vertical strokes
            x, y0 = rng.randrange(1, cell - 1), rng.randrange(1, cell // 2)
            for y in range(y0, rng.randrange(y0 + 2, cell)):
                rows[y] |= 1 << (cell - 1 - x)
        glyphs.append(b"".join(r.to_bytes(row_bytes, "big") for r in rows))
    header = struct.pack("<4sIHH", b"KFN\x01", count, cell, cell).ljust(64, b"\0")
    return (header + b"".join(glyphs)).ljust(size, b"\0")


def make_memo(path, size, arg):
    """The memo store of a table: blocks of a fixed size, each the next block's number, the text's
    length and the text (long remarks run on over several blocks)."""
    block = int(arg or 512)
    rng = rng_for(path)
    vocab = Vocabulary(rng)
    count = size // block
    if count < 1:
        raise ValueError(f"{path}: {size} bytes is too small for a block of {block}")
    blocks = [struct.pack("<4sII", b"KMB\x01", count, block).ljust(block, b"\0")]
    while len(blocks) < count:
        text = "".join(vocab.sentence() if rng.random() < 0.6 else vocab.memo()
                       for _ in range(rng.randint(2, 40))).encode("gbk")
        pieces = [text[i:i + block - 8] for i in range(0, len(text), block - 8)]
        pieces = pieces[:count - len(blocks)]
        for number, piece in enumerate(pieces):
            following = len(blocks) + 1 if number + 1 < len(pieces) else 0
            blocks.append((struct.pack("<II", following, len(piece)) + piece).ljust(block, b"\0"))
    return b"".join(blocks).ljust(size, b"\0")


def fill_text(path, size, first_lines, next_section, filler=";"):
    """CRLF GBK text of exactly size bytes: the first lines, then sections while they fit, then
    one comment line that pads to the size."""
    parts = ["\r\n".join(first_lines).encode("gbk") + b"\r\n"]
    length = len(parts[0])
    number = 1
    while True:
        section = ("\r\n".join(next_section(number)) + "\r\n").encode("gbk")
        if length + len(section) + 3 > size:
            break
        parts.append(section)
        length += len(section)
        number += 1
    left = size - length
    if left < 0:
        raise ValueError(f"{path}: {size} bytes is too small for its text")
    if left >= 3:
        parts.append(filler.encode() + b" " * (left - 3) + b"\r\n")
    else:
        parts.append(b" " * left)
    return b"".join(parts)


def title_of(path):
    return os.path.splitext(os.path.basename(path))[0]


def make_template(path, size, _arg):
    """A print template: page settings, then one section per printed field."""
    rng = rng_for(path)
    vocab = Vocabulary(rng)
    labels = ["客户名称", "联系人", "地址", "电话", "日期", "品名", "数量", "单位", "单价", "金额", "备注", "编号"]
    fonts = ["宋体", "黑体", "楷体_GB2312", "仿宋_GB2312", "Arial"]
    first = ["[Report]", f"Name={title_of(path)}", "Version=2.8",
             f"PaperSize={rng.choice((9, 11, 256))}", f"Orientation={rng.randrange(2)}", "Margins=20,15,20,15", f"Title={vocab.company()}"]

    def field(number):
        label = rng.choice(labels)
        return [f"[Field{number}]", f"Caption={label}", f"DataField=F{labels.index(label):02d}",
                f"Left={rng.randrange(0, 190)}", f"Top={rng.randrange(0, 280)}",
                f"Width={rng.choice((20, 30, 40, 60, 80))}", "Height=6",
                f"Font={rng.choice(fonts)},{rng.choice((9, 10.5, 12, 14))},{rng.randrange(2)}",
                f"Align={rng.randrange(3)}",
                f"Band={rng.choice(('Header', 'Detail', 'Detail', 'Footer'))}"]

    return fill_text(path, size, first, field)


def make_document(path, size, _arg):
    """A document of the product: an information section, then pages of paragraphs."""
    rng = rng_for(path)
    vocab = Vocabulary(rng)
    created = datetime.datetime(2002, 1, 1) + datetime.timedelta(seconds=rng.randrange(10**8))
    first = ["KORVELLO DOCUMENT 2.8", "[Info]", f"Title={title_of(path)}", f"Author={vocab.name()}",
             f"Company={vocab.company()}", f"Created={created:%Y-%m-%d %H:%M:%S}",
             f"Template=PrintFiles\\Print{rng.randint(1, 6):02d}.rpt"]

    def page(number):
        lines = [f"[Page{number}]"]
        for line in range(1, rng.randint(3, 8)):
            text = "".join(vocab.sentence() for _ in range(rng.randint(1, 4)))
            if rng.random() < 0.3:
                text += f"{vocab.name()}，{vocab.address()}，{vocab.memo()}"
            lines.append(f"Line{line}={text}")
        return lines

    return fill_text(path, size, first, page)

def make_bin(path, size, _arg):
    """Incompressible bytes, as a file compressed by its own format is."""
    return stream(path, size)


def make_bmp(path, size, arg):
    """A 24-bit bottom-up bitmap, a diagonal blue-to-white blend, of the exact table size."""
    width, height = (int(v) for v in arg.split("x"))
    stride = (width * 3 + 3) & ~3
    pixels_size = stride * height
    total = 14 + 40 + pixels_size
    if total != size:
        raise ValueError(f"{path}: a {width}x{height} bitmap is {total} bytes, table says {size}")
    header = struct.pack("<2sIHHI", b"BM", total, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, pixels_size, 2835, 2835, 0, 0)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            t = (x + y) * 255 // (width + height)
            row += bytes((255, 128 + t // 2, t))  # blue, green, red
        row += bytes(stride - width * 3)
        rows.append(bytes(row))
    return header + info + b"".join(rows)


RTF_HEADER = (
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
    "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs21 "
)


def rtf_escape(text):
    """Plain ASCII RTF: each CP936 byte of a Chinese character as a \\'hh escape."""
    out = []
    for ch in text:
        if ord(ch) < 128:
            out.append(ch)
        else:
            out.extend("\\'%02x" % b for b in ch.encode("gbk"))
    return "".join(out)


def make_rtf(path, size, _arg):
    """A readable rich-text document padded with spaces to the exact table size."""
    title = os.path.splitext(os.path.basename(path))[0]
    words = stream(path, 4096)
    phrases = ["数据录入", "打印模板", "示例文档", "词库维护", "备份与恢复", "选项设置", "报表输出", "快捷键"]
    body = [RTF_HEADER, rtf_escape(f"{title} Korvello 使用说明") + "\\par\r\n"]
    length = sum(len(p) for p in body)
    i = 0
    while True:
        phrase = phrases[words[i % len(words)] % len(phrases)]
        para = rtf_escape(f"第{i + 1}节 {phrase}：本节介绍{phrase}的操作步骤。") + "\\par\r\n"
        if length + len(para) + 1 > size:
            break
        body.append(para)
        length += len(para)
        i += 1
    text = "".join(body)
    text += " " * (size - 1 - len(text)) + "}"
    data = text.encode("ascii")
    if len(data) != size:
        raise ValueError(f"{path}: {size} bytes is too small for a rich-text file")
    return data


KINDS = {
    "bin": make_bin,
    "bmp": make_bmp,
    "rtf": make_rtf,
    "db": make_db,
    "idx": make_idx,
    "font": make_font,
    "memo": make_memo,
    "template": make_template,
    "document": make_document,
}


def read_table(table_path):
    entries = []
    with open(table_path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 3:
                raise ValueError(f"{table_path}:{number}: expected size, kind and path: {line}")
            size, kind, rel = fields
            kind_name, _, arg = kind.partition(":")
            if kind_name not in KINDS or not size.isdigit():
                raise ValueError(f"{table_path}:{number}: bad size or kind: {line}")
            entries.append((rel, int(size), kind_name, arg))
    return entries


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: generate.py <table.tsv> <product-dir>\n")
        return 2
    table_path, out_dir = argv[1], argv[2]
    try:
        entries = read_table(table_path)
        for rel, size, kind, arg in entries:
            data = KINDS[kind](rel, size, arg)
            if len(data) != size:
                raise ValueError(f"{rel}: made {len(data)} bytes, the table says {size}")
            target = os.path.join(out_dir, rel)
            os.makedirs(os.path.dirname(target) or out_dir, exist_ok=True)
            with open(target, "wb") as out:
                out.write(data)
    except (OSError, ValueError) as error:
        sys.stderr.write(f"generate.py: {error}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
