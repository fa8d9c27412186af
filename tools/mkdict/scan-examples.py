#!/usr/bin/env python3
"""Scans every example of a built dictionary for profanity, with lists other
than the ones quendic-mkdict screens with: the npm badwords-list words (taken
whole, so it also reports the harmless words the builder allows, such as
"God") and a list of Chinese vulgar terms. Reads the entry data files
DIR/11/*.dat (GBK, members stored unchanged): example lines and the examples
that follow definitions.

usage: tools/mkdict/scan-examples.py DIR
"""
import glob
import os
import re
import sys

folder = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'node_modules/badwords-list/lib/array.js'), encoding='utf-8') as f:
    words = set(w.lower() for w in re.findall(r'"([^"]+)"', f.read()))
chinese = ['操你', '肏', '屄', '屌', '鸡巴', '婊', '他妈', '傻逼', '傻屄', '妈的', '狗日', '王八蛋',
           '杂种', '贱人', '骚货', '操他', '日你', '炮友', '淫']
examples = 0
hits = []
for path in sorted(glob.glob(os.path.join(folder, '11', '*.dat'))):
    with open(path, 'rb') as f:
        text = f.read().decode('gbk', 'ignore')
    for block in re.findall(r'<Example>(.*?)</Example>', text, re.S):
        for line in block.split('\r\n'):
            en = re.search(r'<En>(.*?)</En>', line)
            cn = re.search(r'<Cn>(.*?)</Cn>', line)
            en = (en.group(1) if en else '').replace('『', '').replace('』', '')
            cn = cn.group(1) if cn else ''
            examples += 1
            bad = [w for w in re.findall(r"[a-z0-9&-]+", en.lower()) if w in words]
            bad += [w for w in chinese if w in cn]
            if bad:
                hits.append((en, cn, bad))
    for block in re.findall(r'<YWJS>(.*?)</YWJS>', text, re.S):
        for example in re.findall(r'; "([^"]*)"', block):
            examples += 1
            bad = [w for w in re.findall(r"[a-z0-9&-]+", example.lower()) if w in words]
            if bad:
                hits.append((example, '', bad))
print('example lines scanned:', examples, 'with a listed word:', len(hits))
for hit in hits:
    print(hit)
