#include "kanjigrade/grade_tables.h"

#include <array>
#include <unordered_set>

#include "host/utf16.h"

namespace tarquel::kanjigrade {

namespace {

// Elementary school, 1st year: 80 kanji.
constexpr char kGroup1[] =
    "一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森"
    "人水正生青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六";

// Elementary school, 2nd year: 160 kanji.
constexpr char kGroup2[] =
    "引羽雲園遠何科夏家歌画回会海絵外角楽活間丸岩顔汽記帰弓牛魚京強教近兄形計元言原戸"
    "古午後語工公広交光考行高黄合谷国黒今才細作算止市矢姉思紙寺自時室社弱首秋週春書少"
    "場色食心新親図数西声星晴切雪船線前組走多太体台地池知茶昼長鳥朝直通弟店点電刀冬当"
    "東答頭同道読内南肉馬売買麦半番父風分聞米歩母方北毎妹万明鳴毛門夜野友用曜来里理話";

// Elementary school, 3rd year: 200 kanji.
constexpr char kGroup3[] =
    "悪安暗医委意育員院飲運泳駅央横屋温化荷界開階寒感漢館岸起期客究急級宮球去橋業曲局"
    "銀区苦具君係軽血決研県庫湖向幸港号根祭皿仕死使始指歯詩次事持式実写者主守取酒受州"
    "拾終習集住重宿所暑助昭消商章勝乗植申身神真深進世整昔全相送想息速族他打対待代第題"
    "炭短談着注柱丁帳調追定庭笛鉄転都度投豆島湯登等動童農波配倍箱畑発反坂板皮悲美鼻筆"
    "氷表秒病品負部服福物平返勉放味命面問役薬由油有遊予羊洋葉陽様落流旅両緑礼列練路和";

// Elementary school, 4th year: 200 kanji.
constexpr char kGroup4[] =
    "愛案以衣位囲胃印英栄塩億加果貨課芽改械害街各覚完官管関観願希季紀喜旗器機議求泣救"
    "給挙漁共協鏡競極訓軍郡径型景芸欠結建健験固功好候航康告差菜最材昨札刷殺察参産散残"
    "士氏史司試児治辞失借種周祝順初松笑唱焼象照賞臣信成省清静席積折節説浅戦選然争倉巣"
    "束側続卒孫帯隊達単置仲貯兆腸低底停的典伝徒努灯堂働特得毒熱念敗梅博飯飛費必票標不"
    "夫付府副粉兵別辺変便包法望牧末満未脈民無約勇要養浴利陸良料量輪類令冷例歴連老労録";

// Elementary school, 5th year: 185 kanji.
constexpr char kGroup5[] =
    "圧移因永営衛易益液演応往桜恩可仮価河過賀快解格確額刊幹慣眼基寄規技義逆久旧居許境"
    "均禁句群経潔件券険検限現減故個護効厚耕鉱構興講混査再災妻採際在財罪雑酸賛支志枝師"
    "資飼示似識質舎謝授修述術準序招承証条状常情織職制性政勢精製税責績接設舌絶銭祖素総"
    "造像増則測属率損退貸態団断築張提程適敵統銅導徳独任燃能破犯判版比肥非備俵評貧布婦"
    "富武復複仏編弁保墓報豊防貿暴務夢迷綿輸余預容略留領";

// Elementary school, 6th year: 181 kanji.
constexpr char kGroup6[] =
    "異遺域宇映延沿我灰拡革閣割株干巻看簡危机揮貴疑吸供胸郷勤筋系敬警劇激穴絹権憲源厳"
    "己呼誤后孝皇紅降鋼刻穀骨困砂座済裁策冊蚕至私姿視詞誌磁射捨尺若樹収宗就衆従縦縮熟"
    "純処署諸除将傷障城蒸針仁垂推寸盛聖誠宣専泉洗染善奏窓創装層操蔵臓存尊宅担探誕段暖"
    "値宙忠著庁頂潮賃痛展討党糖届難乳認納脳派拝背肺俳班晩否批秘腹奮並陛閉片補暮宝訪亡"
    "忘棒枚幕密盟模訳郵優幼欲翌乱卵覧裏律臨朗論";

// Junior high school: 316 kanji.
constexpr char kGroup7[] =
    "握扱依偉威為維緯違井壱稲芋陰隠影鋭越援煙縁鉛汚奥押沖憶暇箇菓雅介壊戒皆獲較刈乾勧"
    "歓汗環甘監鑑含奇幾祈輝鬼儀戯詰却脚丘及朽巨拠距凶叫恐況狂狭響驚仰駆屈掘繰傾恵継迎"
    "撃兼剣圏堅肩軒遣玄枯誇鼓互御恒抗攻更稿荒項香豪腰込婚鎖彩歳載剤咲惨伺刺旨紫脂雌執"
    "芝斜煮釈寂朱狩趣需秀舟襲柔獣瞬旬盾巡召床沼称紹詳丈畳飾殖触侵寝慎振浸薪震尋尽陣吹"
    "澄是姓征跡占扇鮮訴僧燥騒贈即俗耐替拓沢濁脱丹嘆淡端弾恥致遅蓄徴跳沈珍堤抵摘滴添殿"
    "吐渡途奴怒倒唐塔桃盗到踏逃透闘胴峠突曇鈍弐悩濃杯輩拍泊薄迫爆髪罰抜搬繁般販範盤彼"
    "疲被避尾微匹描浜敏怖敷普浮腐膚賦舞幅払噴柄壁舗捕峰抱砲傍坊帽忙冒肪凡盆慢漫妙眠矛"
    "霧娘茂猛網黙紋躍雄与誉溶謡踊翼頼雷絡欄離粒慮療隣涙隷麗齢暦劣烈恋露郎惑腕";

// Junior high school: 286 kanji.
constexpr char kGroup8[] =
    "哀慰詠悦閲宴炎欧殴乙卸穏佳嫁架華餓塊怪悔慨概該穫郭隔岳掛滑冠勘喚換敢緩肝貫企岐忌"
    "既棋棄軌騎欺犠菊吉喫虐虚峡脅凝斤緊愚偶遇桑刑啓契憩掲携鶏鯨倹賢幻孤弧雇顧娯悟坑孔"
    "巧慌拘控甲硬絞綱郊酵克獄墾恨紺魂債催削搾錯撮擦暫施祉諮侍慈軸湿疾赦邪殊寿潤遵徐匠"
    "掌昇晶焦衝鐘冗嬢譲錠嘱辱伸審辛炊粋衰遂酔随髄瀬牲請隻惜斥籍摂潜繕措礎粗阻双掃葬遭"
    "憎促賊怠滞胎袋逮滝卓択託諾奪胆鍛壇稚畜窒抽鋳駐彫聴脹超鎮陳墜帝締訂哲塗斗凍痘陶匿"
    "篤豚如尿粘婆排陪縛伐伴帆畔藩蛮卑泌碑姫漂苗符赴封伏覆墳紛癖穂募慕簿倣奉崩縫胞芳邦"
    "飽乏妨房某膨謀墨没翻魔埋膜又魅婿滅免幽憂誘揚揺擁抑裸濫吏隆了猟糧陵厘励零霊裂廉錬"
    "炉廊楼浪漏湾";

// Junior high school: 337 kanji.
constexpr char kGroup9[] =
    "亜尉逸姻韻渦浦疫謁猿凹翁寡禍稼蚊懐拐劾涯垣嚇核殻潟喝括渇褐轄且堪寛患憾棺款缶艦還"
    "閑陥頑飢偽宜擬窮糾拒享恭挟矯暁琴菌襟謹吟虞隅靴勲薫慶渓茎蛍傑嫌懸献謙顕弦呉碁侯江"
    "洪溝肯衡貢購剛拷酷懇昆佐唆詐宰栽砕斎崎索傘桟嗣肢賜滋璽漆遮蛇勺爵酌珠儒囚愁臭酬醜"
    "充汁渋銃叔淑粛塾俊准循殉庶緒叙償升奨宵尚彰抄渉症硝礁祥粧肖訟詔剰壌浄醸唇娠紳診刃"
    "甚迅酢帥睡錘崇枢据杉畝誓逝斉析拙窃仙栓旋繊薦践遷銑漸禅塑疎租喪壮捜挿曹槽荘藻霜堕"
    "妥惰駄泰濯但棚痴逐秩嫡衷弔懲挑眺勅朕津塚漬坪釣亭偵貞呈廷艇逓邸泥徹撤迭悼搭棟筒謄"
    "騰洞督凸屯縄軟尼妊忍寧猫把覇廃培媒賠伯舶漠肌鉢閥煩頒妃扉披罷賓頻瓶扶譜附侮沸憤雰"
    "丙併塀幣弊偏遍俸泡褒剖紡僕撲朴堀奔摩磨麻抹繭岬銘妄盲耗戻匁厄柳愉癒諭唯悠猶裕融庸"
    "窯羅酪履痢硫竜虜僚寮涼倫塁累鈴賄枠";
constexpr std::array<std::string_view, kLastTableGroup> kTables = {
    kGroup1, kGroup2, kGroup3, kGroup4, kGroup5, kGroup6, kGroup7, kGroup8, kGroup9,
};

// Every character of `text`, for lookups. The table kanji are all in the Basic Multilingual
// Plane, so comparing code points compares exactly what the host compares (UTF-16 units).
std::unordered_set<char32_t> CharactersOf(std::string_view text) {
  std::unordered_set<char32_t> characters;
  for (std::size_t pos = 0; pos < text.size();) characters.insert(host::DecodeUtf8(text, &pos));
  return characters;
}

}  // namespace

std::string_view GroupTable(int group) { return kTables.at(group - kFirstTableGroup); }

int32_t GroupSize(int group) { return static_cast<int32_t>(host::Utf16Length(GroupTable(group))); }

int KankenLevel(int group) { return 11 - group; }

KanjiTableResult Kanji_Table(int group, std::string_view text, bool list_missing) {
  const std::string_view table = GroupTable(group);
  KanjiTableResult result;
  if (!list_missing) {
    // UTF-8 is self-synchronising: a whole text found in the table starts and ends on
    // character boundaries, so a byte search is a character search.
    result.found = table.find(text) != std::string_view::npos;
    return result;
  }
  const std::unordered_set<char32_t> present = CharactersOf(text);
  for (std::size_t pos = 0; pos < table.size();) {
    const std::size_t start = pos;
    if (present.contains(host::DecodeUtf8(table, &pos))) continue;
    result.missing.append(table.substr(start, pos - start));
    result.missing.append("、");
    ++result.missing_count;
  }
  return result;
}

}  // namespace tarquel::kanjigrade
